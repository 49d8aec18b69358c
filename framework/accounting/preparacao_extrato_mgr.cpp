#include "framework/accounting/preparacao_extrato_mgr.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"

namespace vyn {

namespace {

const char* const kColunasGravadas[] = {"BDCODEMP",       "BDCHAVE",     "BDCODTPLA",           "BDCOMPL",
                                        "BDCOINCIDE",     "BDALTCOMPL",  "BDCOMPLPARA",         "BDCONTRAPARTIDA",
                                        "BDCONTRAPARTDEBCRED", "BDAMBOSENTSAI", "BDCODTER",     "BDCODTPHI",
                                        "BDCODHIST",      "BDCODPLAPADRAO", "BDTIPOCONTA",      "BDEDITCHAVE"};

int64_t Int(const TClientDataSet& ds, const char* campo) {
  const TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? f->AsInteger() : 0;
}

std::string Txt(const TClientDataSet& ds, const char* campo) {
  const TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? f->AsString() : std::string();
}

bool Flag(const TClientDataSet& ds, const char* campo) { return UpperCase(Trim(Txt(ds, campo))) == "TRUE"; }

void Define(TClientDataSet& ds, const char* campo, const Variant& v) {
  if (TField* f = ds.FindField(campo)) f->SetValue(v);
}

}  // namespace

TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR(TComponent* owner, TDatabase* db)
    : TMgr(owner, "", db) {
  CriaEstrutura();
}

void TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::CriaEstrutura() {
  Close();
  ClearFieldDefs();
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDCODTPLA", "BDCONTRAPARTIDA", "BDCODTER", "BDCODTPHI", "BDCODHIST",
                        "BDCODPLAPADRAO", "BDCHAVELANC"})
    AddFieldDef(c, TFieldType::ftInteger);
  for (const char* c : {"BDCONTRAPARTDEBCRED", "BDAMBOSENTSAI", "BDTIPOCONTA", "BDEDITCHAVE"})
    AddFieldDef(c, TFieldType::ftSmallint);
  for (const char* c : {"BDCOMPL", "BDCOMPLPARA", "BDDESCCONTA", "BDDESCCONTRAPARTIDA"})
    AddFieldDef(c, TFieldType::ftString, 200);
  for (const char* c : {"BDCOINCIDE", "BDALTCOMPL"}) AddFieldDef(c, TFieldType::ftString, 5);
  CreateDataSet();
}

void TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::getConsulta(int codEmp, int tipoConta) {
  TDAOFactory q(nullptr, "", &Database());
  q.CommandText(
      "select pre.BDCODEMP, pre.BDCHAVE, pre.BDCODTPLA, pre.BDDESCCONTA, pre.BDCOMPL, pre.BDCOINCIDE, pre.BDALTCOMPL, "
      "pre.BDCOMPLPARA, pre.BDCONTRAPARTIDA, pre.BDDESCCONTRAPARTIDA, pre.BDCONTRAPARTDEBCRED, pre.BDAMBOSENTSAI, "
      "pre.BDCODTER, pre.BDCODTPHI, pre.BDCODHIST, pre.BDCODPLAPADRAO, pre.BDTIPOCONTA, pre.BDEDITCHAVE "
      "from VZEL_EMPRESAS_TPRE_EXT_BANCARIO pre where pre.BDCODEMP = ? and pre.BDTIPOCONTA = ? order by pre.BDCHAVE",
      ctOpen, {codEmp, tipoConta});
  EmptyDataSet();
  for (q.First(); !q.Eof(); q.Next()) {
    Append();
    CopyFieldsByName(q);
    Post();
  }
  First();
}

int TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::GetChaveLancamento(int, int quantidade, bool) {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Não há banco de dados aberto.");
  if (quantidade < 1) quantidade = 1;
  // gen_id commits no matter the transaction: no two attachments ever share a block.
  const int64_t ultima =
      db->QueryValue("select gen_id(GEN_VZEL_EMP_TPRE_EXT_BANCARIO, " + std::to_string(quantidade) +
                     ") from RDB$DATABASE")
          .AsInteger();
  return static_cast<int>(ultima - quantidade + 1);
}

int TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::GravaRegras(TDatabase& db) {
  std::vector<std::string> nomes(std::begin(kColunasGravadas), std::end(kColunasGravadas));
  std::vector<std::string> marcas(nomes.size(), "?");
  const std::string sql =
      std::string("insert into ") + kTabela + " (" + Join(nomes, ", ") + ") values (" + Join(marcas, ", ") + ")";
  int n = 0;
  for (First(); !Eof(); Next()) {
    TParams valores;
    for (const char* c : kColunasGravadas) {
      const TField* f = FindField(c);
      valores.push_back(f && !f->IsNull() ? f->Value() : Variant());
    }
    db.Execute(sql, valores);
    ++n;
  }
  return n;
}

namespace {

// A rule as the lines are weighed against it: read and folded to upper case once, not once a line.
struct TRegraAplicavel {
  std::string Padrao;
  bool Coincide = false;
  int64_t Ambos = 0;
  int64_t Contrapartida = 0, Terceiro = 0, TipoHist = 0, Hist = 0;
  bool AltCompl = false;
  std::string ComplPara;
};

// The rules of the bank account and account kind that can fill a line, in key order.
std::vector<TRegraAplicavel> RegrasAplicaveis(int contaBanco, TClientDataSet& regras, int tipoConta) {
  std::vector<TRegraAplicavel> r;
  for (regras.First(); !regras.Eof(); regras.Next()) {
    if (Int(regras, "BDTIPOCONTA") != tipoConta) continue;
    const int64_t contaRegra = Int(regras, "BDCODTPLA");
    if (contaRegra > 0 && contaRegra != contaBanco) continue;
    TRegraAplicavel a;
    a.Padrao = UpperCase(Trim(Txt(regras, "BDCOMPL")));
    a.Contrapartida = Int(regras, "BDCONTRAPARTIDA");
    if (a.Padrao.empty() || a.Contrapartida <= 0) continue;
    a.Coincide = Flag(regras, "BDCOINCIDE");
    a.Ambos = Int(regras, "BDAMBOSENTSAI");
    a.Terceiro = Int(regras, "BDCODTER");
    a.TipoHist = Int(regras, "BDCODTPHI");
    a.Hist = Int(regras, "BDCODHIST");
    a.AltCompl = Flag(regras, "BDALTCOMPL");
    a.ComplPara = Txt(regras, "BDCOMPLPARA");
    r.push_back(std::move(a));
  }
  return r;
}

void Completa(TClientDataSet& linhas, const TRegraAplicavel& regra, int direcao) {
  linhas.Edit();
  const bool contraCredito = direcao == 1;
  Define(linhas, contraCredito ? "BDCREDITO" : "BDDEBITO", Variant(regra.Contrapartida));
  if (regra.Terceiro > 0) Define(linhas, contraCredito ? "BDCODTERCEIROC" : "BDCODTERCEIROD", Variant(regra.Terceiro));
  Define(linhas, "BDCONTRAPARTDEBCRED", Variant(contraCredito ? 0 : 1));
  if (regra.TipoHist > 0) {
    Define(linhas, "BDCODTPHI", Variant(regra.TipoHist));
    if (regra.Hist > 0) Define(linhas, "BDCODHIST", Variant(regra.Hist));
  }
  if (regra.AltCompl) Define(linhas, "BDCOMPL", Variant(regra.ComplPara));
  linhas.Post();
}

}  // namespace

int GetContraPartida(int contaBanco, TClientDataSet& regras, TClientDataSet& linhas, int tipoConta,
                     bool sobrescreve) {
  if (contaBanco <= 0 || regras.IsEmpty()) return 0;
  const std::string indiceRegras = regras.IndexFieldNames();
  regras.SetIndexFieldNames("BDCHAVE");
  const std::vector<TRegraAplicavel> aplicaveis = RegrasAplicaveis(contaBanco, regras, tipoConta);
  regras.SetIndexFieldNames(indiceRegras);
  if (aplicaveis.empty()) return 0;
  const TBookmark onde = linhas.IsEmpty() ? 0 : linhas.GetBookmark();
  int completadas = 0;
  for (linhas.First(); !linhas.Eof(); linhas.Next()) {
    if (Int(linhas, "BDMULTLANC") == 1) continue;
    const int64_t deb = Int(linhas, "BDDEBITO");
    const int64_t cre = Int(linhas, "BDCREDITO");
    int direcao = 0;   // 1 money in (bank debited), 2 money out (bank credited)
    if (deb == contaBanco && (cre <= 0 || (sobrescreve && cre != contaBanco))) direcao = 1;
    else if (cre == contaBanco && (deb <= 0 || sobrescreve)) direcao = 2;
    if (direcao == 0) continue;
    std::string texto = Trim(Txt(linhas, "BDCOMPLBANCARIO"));
    if (texto.empty()) texto = Trim(Txt(linhas, "BDCOMPL"));
    if (texto.empty()) continue;
    const std::string alvo = UpperCase(texto);
    for (const TRegraAplicavel& regra : aplicaveis) {
      if (regra.Ambos != 0 && regra.Ambos != direcao) continue;
      if (regra.Coincide ? alvo != regra.Padrao : alvo.find(regra.Padrao) == std::string::npos) continue;
      Completa(linhas, regra, direcao);
      ++completadas;
      break;
    }
  }
  if (onde && linhas.BookmarkValid(onde)) linhas.GotoBookmark(onde);
  return completadas;
}

}  // namespace vyn
