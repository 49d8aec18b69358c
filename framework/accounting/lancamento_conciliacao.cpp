// The entry manager's reconciliation operations: matching a statement line with posted entries, the
// reconciled items, the hand-over of unmatched statement lines to the statement review and the check
// before an entry is deleted.
#include <cmath>
#include <set>

#include <nlohmann/json.hpp>

#include "framework/accounting/extrato_ban_mgr.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/parametros_revisao.h"
#include "framework/ui/posting_lock.h"

namespace vyn {

namespace {

constexpr const char* kItensConciliados = "ItensConciliadosDAO";

int64_t CodigoDe(TComponent* c) {
  if (auto* e = dynamic_cast<TEdit_Codigo_Search_VYN*>(c)) return e->Codigo();
  return 0;
}

}  // namespace

bool TLancamentoMGR::GetConciliacaoExtratoBancario(TComponent* empresa, TComponent* conta, Currency valor,
                                                   const std::string& dcto, TDateTime data, bool porDocumento,
                                                   bool porData, bool porValor, bool considerarZeros,
                                                   TClientDataSet* jaConciliados) {
  const int64_t emp = CodigoDe(empresa), cta = CodigoDe(conta);
  const bool debito = valor.Raw() >= 0;
  std::string sql =
      "select BDDEBITO, BDCREDITO, BDCODTERCEIROD, BDCODTERCEIROC, BDCODHIST as bdCODHIST, BDCODTPHI as bdCODTPHI, "
      "cast(case when BDCONCD = 'TRUE' and BDCONCC = 'TRUE' then 6 when BDCONCD = 'TRUE' then 1 "
      "when BDCONCC = 'TRUE' then 2 else 0 end as integer) as bdtipoconc, BDCONCD as bdCONCD, BDCONCC as bdCONCC, "
      "BDCHAVE as bdchave, BDDCTO, BDDATA, BDVALOR, cast(100 as integer) as BDORDEM "
      "from VZEL_EMPRESAS_TLAN where BDCODEMP = ? and ";
  // The value is always compared, whatever the value option says: an entry of another value is not
  // the line's (matched on a document or a date alone, the line would be taken as booked while its
  // money never reached the ledger).
  (void)porValor;
  TParams p(3 + (porData ? 1 : 0));
  size_t n = 2;
  p[0] = Variant(static_cast<long long>(emp));
  p[1] = Variant(static_cast<long long>(cta));
  sql += debito ? "BDDEBITO = ? and coalesce(BDCONCD, 'FALSE') <> 'TRUE'"
                : "BDCREDITO = ? and coalesce(BDCONCC, 'FALSE') <> 'TRUE'";
  sql += " and BDVALOR = ?";
  p[n++] = Variant(valor.Abs());
  if (porData) {
    sql += " and BDDATA = ?";
    p[n++] = Variant(data.DateOnly());
  }
  sql += " order by BDDATA, BDCHAVE";
  CommandText(sql, ctOpen, p);
  std::set<int64_t> tomados;
  if (jaConciliados && jaConciliados->Active())
    if (TField* f = jaConciliados->FindField("BDCHAVECONC")) {
      // A second cursor so the caller's position stays where it is.
      TClientDataSet c;
      c.CloneCursor(*jaConciliados, true);
      for (c.First(); !c.Eof(); c.Next()) tomados.insert(c.FieldByName(f->FieldName()).AsInteger());
    }
  // The document and the rows already taken are filtered here: leading zeros are a text rule.
  const bool memoria = ControlMemory();
  SetControlMemory(true);
  First();
  while (!Eof()) {
    const bool fora = tomados.count(FieldByName("bdchave").AsInteger()) > 0 ||
                      (porDocumento && !MesmoDocumento(FieldByName("BDDCTO").AsString(), dcto, considerarZeros));
    if (fora)
      Delete();
    else
      Next();
  }
  // One row is the line's match (100): the nearest in date, the first posted on a tie; the others
  // (200) are candidates only, so a line never takes several entries.
  int melhor = 0;
  double distancia = 0;
  for (First(); !Eof(); Next()) {
    const double d = std::abs(FieldByName("BDDATA").AsDateTime().DateOnly().Value - data.DateOnly().Value);
    if (melhor == 0 || d < distancia) {
      melhor = RecNo();
      distancia = d;
    }
  }
  for (First(); !Eof(); Next()) {
    Edit();
    FieldByName("BDORDEM").SetAsInteger(RecNo() == melhor ? 100 : 200);
    Post();
  }
  SetControlMemory(memoria);
  if (!HasIndexDef("ORDEM")) AddIndexDef("ORDEM", "BDORDEM");
  SetIndexName("ORDEM");
  First();
  return !IsEmpty();
}

int TLancamentoMGR::getTipoConciliacao(TLancamentoMGR*, bool, const std::vector<std::string>& textos, bool, int) {
  const bool debito = textos.size() > 4 && SameText(textos[4], "BDCONCD");
  const size_t outro = debito ? 0 : 1;
  const bool ambos = textos.size() > outro && !Trim(textos[outro]).empty();
  return ambos ? 6 : (debito ? 1 : 2);
}

int TLancamentoMGR::GetTIPOCONC() const {
  TField* f = FindField("bdtipoconc");
  return f && !f->IsNull() ? static_cast<int>(f->AsInteger()) : 0;
}

TClientDataSet* TLancamentoMGR::getItensConciliadosDAO() {
  if (auto* ds = dynamic_cast<TClientDataSet*>(FindComponent(kItensConciliados))) return ds;
  auto* ds = Create<TClientDataSet>();
  ds->SetName(kItensConciliados);
  ds->AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  ds->AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  ds->AddFieldDef("BDCHAVECONC", TFieldType::ftInteger);
  ds->AddFieldDef("BDDCTO", TFieldType::ftString, 30);
  ds->AddFieldDef("BDDATA", TFieldType::ftDate);
  ds->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  ds->AddFieldDef("BDTIPOCONC", TFieldType::ftInteger);
  ds->CreateDataSet();
  ds->SetIndexFieldNames("BDCODEMP;BDCHAVE;BDCHAVECONC");
  return ds;
}

void TLancamentoMGR::setItensConciliadosItem(int64_t empresa, int64_t chave, const std::string& dcto, TDateTime data,
                                             Currency valor, int64_t chaveConc, int tipoConc) {
  TClientDataSet& ds = *getItensConciliadosDAO();
  const std::vector<Variant> k{Variant(static_cast<long long>(empresa)), Variant(static_cast<long long>(chave)),
                               Variant(static_cast<long long>(chaveConc))};
  if (ds.FindKey(k)) {
    ds.Edit();
  } else {
    ds.Append();
    ds.FieldByName("BDCODEMP").SetAsInteger(empresa);
    ds.FieldByName("BDCHAVE").SetAsInteger(chave);
    ds.FieldByName("BDCHAVECONC").SetAsInteger(chaveConc);
  }
  ds.FieldByName("BDDCTO").SetAsString(Utf8Left(dcto, 30));
  ds.FieldByName("BDDATA").SetAsDateTime(data.DateOnly());
  ds.FieldByName("BDVALOR").SetAsCurrency(valor);
  ds.FieldByName("BDTIPOCONC").SetAsInteger(tipoConc);
  ds.Post();
}

bool TLancamentoMGR::ImportacaoDAOExtratoBancario(TComponent* empresa, TComponent* conta, TComponent* arquivo,
                                                  TComponent* dataIni, TComponent* dataFim,
                                                  TVZEL_EMPRESAS_TEXTRATOBANMGR* extrato, TForm_VYN* form,
                                                  TSpeedButton* transacao, TBloqueioLancamento_VYN* bloqueio,
                                                  nlohmann::json* json, bool naoCoincidirTransPrep) {
  static constexpr const char* kRevisao = "TfrConsultaImportacaoExtratoBancario";
  if (!form || !extrato || !extrato->Active() || !ClassRegistry().IsRegistered(kRevisao)) return false;
  const int64_t cta = CodigoDe(conta);
  // The lines are copied in memory; the review reserves the real keys when it imports them.
  auto* lanc = CriaLinhasExtrato(form);
  TClientDataSet cur;
  cur.CloneCursor(*extrato, true);
  int chave = 0;
  for (cur.First(); !cur.Eof(); cur.Next()) {
    const int s = static_cast<int>(cur.FieldByName("BDSTATUS").AsInteger());
    if (s != scLivre && s != scSelecionado && s != scInconsistente && s != scInconsistenteSelecionado) continue;
    AdicionaLinhaExtrato(*lanc, cur.FieldByName("BDCODEMP").AsInteger(), ++chave,
                         cur.FieldByName("BDDATAMOV").AsDateTime(), cur.FieldByName("BDTIPO").AsInteger() == 0, cta,
                         cur.FieldByName("BDVALOR").AsCurrency(), cur.FieldByName("BDDESCRICAO").AsString(),
                         cur.FieldByName("BDDCTO").AsString());
    // The bank's own text, as the ordinary review keeps it: a line without an id is known by it,
    // and a rule made from the line matches by it.
    lanc->Edit();
    lanc->FieldByName("BDCOMPLBANCARIO").SetAsString(cur.FieldByName("BDDESCRICAO").AsString());
    // The Dyq statement the line came from: its receipts are read from Dyq as in the ordinary review.
    if (const TField* dyq = cur.FindField("BDIDEXTRATODYQ"); dyq && !dyq->IsNull()) {
      lanc->FieldByName("BDIDEXTRATOWEB").SetAsInteger(dyq->AsInteger());
      // And the item: the review records and reports the line as the ordinary one does.
      if (const TField* item = cur.FindField("BDIDITEMDYQ"); item && !item->IsNull())
        lanc->FieldByName("BDIDWEB").SetAsInteger(item->AsInteger());
    }
    lanc->Post();
  }
  lanc->First();
  TInconsistencias_VYN* lista = bloqueio ? bloqueio->Inconsistencias() : nullptr;
  if (!lista) lista = form->Create<TInconsistencias_VYN>();
  TAberturaRevisaoExtrato a;
  a.Arquivo = arquivo;
  a.Inconsistencias = lista;
  a.Empresa = empresa;
  a.Linhas = lanc;
  a.Documento = json;
  a.Conta = conta;
  a.Transacao = transacao;
  a.DataIni = dataIni;
  a.DataFim = dataFim;
  a.UltimaChave = chave;
  a.DYQ = json != nullptr;
  a.NaoCoincidirSequencia = naoCoincidirTransPrep;
  TListaObj l = ParametrosRevisaoExtrato(a);
  TPackagesUtil::CarregaFormParamsObj(kRevisao, form, std::move(l));
  return true;
}

std::string TLancamentoMGR::GetInconsistenciaExclusaoTipo(TComponent*, int, int64_t empresa, int64_t chave, int64_t,
                                                          const std::string&) {
  TDAOFactory q;
  q.CommandText("select BDCONCD, BDCONCC, BDVINC_BAIXA from VZEL_EMPRESAS_TLAN where BDCODEMP = ? and BDCHAVE = ?",
                ctOpen, {Variant(static_cast<long long>(empresa)), Variant(static_cast<long long>(chave))});
  if (q.IsEmpty()) return "Lançamento " + std::to_string(chave) + " não encontrado.";
  if (q.FieldByName("BDCONCD").AsString() == "TRUE" || q.FieldByName("BDCONCC").AsString() == "TRUE")
    return "Lançamento " + std::to_string(chave) + " está conciliado e não pode ser excluído.";
  if (q.FieldByName("BDVINC_BAIXA").AsString() == "TRUE")
    return "Lançamento " + std::to_string(chave) + " possui baixas vinculadas e não pode ser excluído.";
  return "";
}

}  // namespace vyn
