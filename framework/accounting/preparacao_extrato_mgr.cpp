#include "framework/accounting/preparacao_extrato_mgr.h"

#include <set>
#include <tuple>

#include <nlohmann/json.hpp>

#include "framework/accounting/consulta_codigos_lancamento.h"
#include "framework/data/dataset_guards.h"

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
                        "BDCODPLAPADRAO", "BDCHAVELANC", "BDIDWEB", "BDIDEXTRATOWEB"})
    AddFieldDef(c, TFieldType::ftInteger);
  for (const char* c : {"BDCONTRAPARTDEBCRED", "BDAMBOSENTSAI", "BDTIPOCONTA", "BDEDITCHAVE"})
    AddFieldDef(c, TFieldType::ftSmallint);
  for (const char* c : {"BDCOMPL", "BDCOMPLPARA", "BDDESCCONTA", "BDDESCCONTRAPARTIDA"})
    AddFieldDef(c, TFieldType::ftString, 200);
  for (const char* c : {"BDCOINCIDE", "BDALTCOMPL", "BDGRAVADA"}) AddFieldDef(c, TFieldType::ftString, 5);
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
    FieldByName("BDGRAVADA").SetAsString("TRUE");
    Post();
  }
  First();
}

namespace {
// What makes two rules the same rule for the lines they fill: everything a rule writes on a line, so that
// a rule of Dyq's that differs from a stored one only by its participant, history or complement is offered
// rather than taken for the stored one.
using TAssinaturaRegra = std::tuple<int64_t, std::string, bool, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t,
                                    bool, std::string>;
TAssinaturaRegra Assinatura(const TClientDataSet& r) {
  return {Int(r, "BDCODTPLA"),       UpperCase(Trim(Txt(r, "BDCOMPL"))), Flag(r, "BDCOINCIDE"),
          Int(r, "BDCONTRAPARTIDA"), Int(r, "BDAMBOSENTSAI"),            Int(r, "BDTIPOCONTA"),
          Int(r, "BDCODTER"),        Int(r, "BDCODTPHI"),                Int(r, "BDCODHIST"),
          Flag(r, "BDALTCOMPL"),     Trim(Txt(r, "BDCOMPLPARA"))};
}
}  // namespace

int TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::AcrescentaPreparacoesDYQ(TClientDataSet& dyq) {
  std::set<TAssinaturaRegra> guardadas;
  {
    TFilterGuard todas(*this, TFilterGuard::kAllRows);
    for (First(); !Eof(); Next())
      if (Flag(*this, "BDGRAVADA")) guardadas.insert(Assinatura(*this));
  }
  int n = 0;
  TFilterGuard todas(dyq, TFilterGuard::kAllRows);
  for (dyq.First(); !dyq.Eof(); dyq.Next()) {
    // Line keys start at 1: a rule without one came with the statement.
    if (Int(dyq, "BDCHAVELANC") == 0 && guardadas.count(Assinatura(dyq))) {
      const int64_t id = Int(dyq, "BDIDWEB");
      if (id > 0 && !Informada(Int(dyq, "BDCODEMP"), id)) jaGravadasDYQ_.push_back({id, Int(dyq, "BDIDEXTRATOWEB")});
      continue;
    }
    Append();
    CopyFieldsByName(dyq);
    FieldByName("BDGRAVADA").Clear();
    Post();
    ++n;
  }
  First();
  return n;
}

bool TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::Informada(int64_t codEmp, int64_t id) {
  return Database()
             .QueryValue("select count(*) from TINTEGRACAO_DYQ_PREP_INFORMADA where BDCODEMP = ? and BDIDWEB = ?",
                         {codEmp, id})
             .AsInteger() > 0;
}

void TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::RegistraInformadas(int codEmp, const std::vector<int64_t>& ids) {
  TTransaction tx(Database(), TTransaction::kJuntaAberta);
  for (const int64_t id : ids)
    Database().Execute("update or insert into TINTEGRACAO_DYQ_PREP_INFORMADA (BDCODEMP, BDIDWEB) values (?, ?) "
                       "matching (BDCODEMP, BDIDWEB)",
                       {codEmp, id});
  tx.Commit();
  jaGravadasDYQ_.clear();
}

int TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::ContaRegrasNovas() {
  TFilterGuard guarda(*this, TFilterGuard::kAllRows);
  SetFilter(kFiltroPreparacoesNovas);
  SetFiltered(true);
  return RecordCount();
}

std::vector<int64_t> TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::IdsPreparacoesDYQ() {
  std::vector<int64_t> ids;
  TFilterGuard guarda(*this, TFilterGuard::kAllRows);
  SetFilter(kFiltroPreparacoesDYQ);
  SetFiltered(true);
  for (First(); !Eof(); Next())
    if (Int(*this, "BDIDWEB") > 0 && !tomadas_.count({Int(*this, "BDCODEMP"), Int(*this, "BDIDWEB")}))
      ids.push_back(Int(*this, "BDIDWEB"));
  return ids;
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
  tomadas_.clear();
  TFilterGuard guarda(*this, TFilterGuard::kAllRows);
  for (First(); !Eof(); Next()) {
    if (Flag(*this, "BDGRAVADA")) continue;
    TParams valores;
    for (const char* c : kColunasGravadas) {
      const TField* f = FindField(c);
      valores.push_back(f && !f->IsNull() ? f->Value() : Variant());
    }
    db.Execute(sql, valores);
    if (!GuardaIdDYQ(db)) continue;
    ++n;
  }
  return n;
}

bool TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR::GuardaIdDYQ(TDatabase& db) {
  const int64_t id = Int(*this, "BDIDWEB");
  if (id <= 0 || Int(*this, "BDCHAVELANC") != 0) return true;
  const int64_t empresa = Int(*this, "BDCODEMP");
  const int64_t chave = Int(*this, "BDCHAVE");
  try {
    db.Execute("insert into TINTEGRACAO_DYQ_PREP_GRAVADA (BDCODEMP, BDIDWEB, BDCHAVE) values (?, ?, ?)",
               {empresa, id, chave});
    return true;
  } catch (const EDatabaseError& e) {
    // Another workstation stored (or is storing) this rule of Dyq's: it is theirs to store and report.
    if (!e.IsUniqueViolation() && !e.IsLockConflict()) throw;
  }
  db.Execute(std::string("delete from ") + kTabela + " where BDCODEMP = ? and BDCHAVE = ?", {empresa, chave});
  tomadas_.insert({empresa, id});
  return false;
}

namespace {

// The width of the rules table's texts.
constexpr size_t kTamanhoTextoRegra = 200;

// A whole number Dyq gave (absent or null: 0); anything else is not the protocol's.
bool InteiroDYQ(const nlohmann::json& p, const char* chave, int64_t& v) {
  v = 0;
  if (!p.contains(chave) || p[chave].is_null()) return true;
  if (!p[chave].is_number_integer() || p[chave].get<int64_t>() < 0) return false;
  v = p[chave].get<int64_t>();
  return true;
}

std::string TextoDYQ(const nlohmann::json& p, const char* chave) {
  return p.contains(chave) && p[chave].is_string() ? p[chave].get<std::string>() : std::string();
}

// Why one rule of Dyq cannot be taken ('' when it can).
std::string MotivoRecusaPreparacao(const nlohmann::json& p, int64_t& id) {
  id = 0;
  if (!p.is_object()) return "não é uma preparação";
  if (!InteiroDYQ(p, "id", id) || id <= 0) return "identificação inválida";
  const std::string texto = Trim(TextoDYQ(p, "texto"));
  if (texto.empty()) return "sem texto do banco";
  if (Utf8Length(texto) > kTamanhoTextoRegra || Utf8Length(TextoDYQ(p, "complemento")) > kTamanhoTextoRegra)
    return "texto com mais de " + std::to_string(kTamanhoTextoRegra) + " caracteres";
  int64_t v = 0;
  if (!InteiroDYQ(p, "contrapartida", v) || v <= 0) return "contrapartida inválida";
  if (!InteiroDYQ(p, "entradaSaida", v) || v > 2) return "entrada ou saída inválida";
  for (const char* c : {"participante", "historico"})
    if (!InteiroDYQ(p, c, v)) return std::string(c) + " inválido";
  if (p.contains("coincidir") && !p["coincidir"].is_null() && !p["coincidir"].is_boolean()) return "coincidir inválido";
  return {};
}

// Why the codes of a rule the protocol accepts name nothing the company's entries may take: a rule whose
// counter account the chart lacks would be stored and then refused on every line it fills.
std::string MotivoRecusaCodigos(const nlohmann::json& p, int empresa) {
  int64_t contra = 0, terceiro = 0, historico = 0;
  InteiroDYQ(p, "contrapartida", contra);
  InteiroDYQ(p, "participante", terceiro);
  InteiroDYQ(p, "historico", historico);
  if (!ContaAnaliticaDoPlano(PlanoContasEmpresa(empresa), contra))
    return "a contrapartida " + std::to_string(contra) + " não é uma conta analítica do plano de contas da empresa";
  if (terceiro > 0 && !ParticipanteCadastrado(terceiro))
    return "o participante " + std::to_string(terceiro) + " não está cadastrado";
  if (historico > 0 && !HistoricoDoPlano(PlanoHistoricoEmpresa(empresa), historico))
    return "o histórico " + std::to_string(historico) + " não existe no plano de históricos da empresa";
  return {};
}

void AdicionaPreparacaoDYQ(TClientDataSet& regras, const nlohmann::json& p, int64_t id, int64_t idExtrato,
                           int empresa, int contaBanco, int tipoConta, int chave) {
  int64_t contra = 0, ambos = 0, terceiro = 0, historico = 0;
  InteiroDYQ(p, "contrapartida", contra);
  InteiroDYQ(p, "entradaSaida", ambos);
  InteiroDYQ(p, "participante", terceiro);
  InteiroDYQ(p, "historico", historico);
  const std::string complemento = TextoDYQ(p, "complemento");
  const bool coincide = p.contains("coincidir") && p["coincidir"].is_boolean() && p["coincidir"].get<bool>();
  regras.Append();
  Define(regras, "BDCODEMP", Variant(empresa));
  Define(regras, "BDCHAVE", Variant(chave));
  Define(regras, "BDCODTPLA", Variant(contaBanco));
  Define(regras, "BDCOMPL", Variant(Trim(TextoDYQ(p, "texto"))));
  Define(regras, "BDCOINCIDE", Variant(std::string(coincide ? "TRUE" : "FALSE")));
  Define(regras, "BDCONTRAPARTIDA", Variant(contra));
  Define(regras, "BDAMBOSENTSAI", Variant(ambos));
  // Money in credits the counter account, money out debits it.
  if (ambos != 0) Define(regras, "BDCONTRAPARTDEBCRED", Variant(ambos == 2 ? 1 : 0));
  if (terceiro > 0) Define(regras, "BDCODTER", Variant(terceiro));
  if (historico > 0) {
    Define(regras, "BDCODTPHI", Variant(historico));
    Define(regras, "BDCODHIST", Variant(PlanoHistoricoEmpresa(empresa)));
  }
  Define(regras, "BDALTCOMPL", Variant(std::string(complemento.empty() ? "FALSE" : "TRUE")));
  if (!complemento.empty()) Define(regras, "BDCOMPLPARA", Variant(complemento));
  Define(regras, "BDCODPLAPADRAO", Variant(PlanoContasEmpresa(empresa)));
  Define(regras, "BDTIPOCONTA", Variant(tipoConta));
  Define(regras, "BDEDITCHAVE", Variant(0));
  Define(regras, "BDIDWEB", Variant(id));
  Define(regras, "BDIDEXTRATOWEB", Variant(idExtrato));
  regras.Post();
}

}  // namespace

void AdicionaPreparacoesDYQ(TClientDataSet& regras, const nlohmann::json& preparacoes, int64_t idExtrato,
                            int empresa, int contaBanco, int tipoConta, std::vector<std::string>& recusadas) {
  if (!preparacoes.is_array()) return;
  int chave = 0;
  for (const auto& p : preparacoes) {
    int64_t id = 0;
    const std::string motivo = MotivoRecusaPreparacao(p, id);
    if (!motivo.empty()) {
      recusadas.push_back("A preparação " + (id > 0 ? std::to_string(id) + " " : std::string()) + "do extrato " +
                          std::to_string(idExtrato) + " não foi trazida do ^DYQ: " + motivo + ".");
      continue;
    }
    const std::string codigos = MotivoRecusaCodigos(p, empresa);
    if (!codigos.empty()) {
      recusadas.push_back("A preparação " + std::to_string(id) + " do extrato " + std::to_string(idExtrato) +
                          " não foi trazida do ^DYQ: " + codigos + ".");
      continue;
    }
    AdicionaPreparacaoDYQ(regras, p, id, idExtrato, empresa, contaBanco, tipoConta, ++chave);
  }
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
