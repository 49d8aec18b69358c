#include "integrations/vynreport/uImportacaoPagamentosVYNReport.h"

#include <map>
#include <stdexcept>

#include <fmt/format.h>

#include "framework/component/resultado_execucao.h"
#include "framework/accounting/conf_contas_online_mgr.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/livros/livros.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/list_view_db.h"
#include "framework/ui/log_event.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/status_processo.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;

namespace {


// The issued guides a payment may be for: company, reference month, principal and the tax's report
// tag. A guide counts as paid once the settlement engine recorded a payment for it.
constexpr const char* kSQLGuias =
    "SELECT DARF.*, (SELECT FIRST 1 PAG.BDSEQ FROM TDARFGERPGTO_BAIXA PAG"
    "  WHERE PAG.BDCODEMP = DARF.BDCODEMP AND PAG.BDCHAVEDARF = DARF.BDCHAVEDARF ORDER BY PAG.BDSEQ) AS BDCODPGTO"
    " FROM TDARFPADRAO DARF"
    " LEFT OUTER JOIN TIMPOSTO IMP ON IMP.BDCODIMP = DARF.BDCODIMP"
    " LEFT OUTER JOIN TYRK_TRELATORIOS REL ON REL.BDCHAVE = IMP.BDCHAVEYRK"
    " WHERE DARF.BDCODEMP = ?   AND DARF.BDREFERENCIA = ?   AND DARF.BDVALOR = ?   AND REL.BDTAGWEB = ?"
    " ORDER BY DARF.BDCHAVEDARF";

std::string Mensagens(const TInconsistencias_VYN& l, int desde) {
  std::vector<std::string> v;
  for (int i = desde; i < l.Count(); ++i) v.push_back(l.getItemObjeto(i).Caption);
  return Join(v, " ");
}

}  // namespace

TfrImportacaoPagamentosVYNReport::TfrImportacaoPagamentosVYNReport(TComponent* owner)
    : TfrProcesso_Padrao_VYN(owner),
      lbDatIni(Create<TLabel>()),
      edDatIni(Create<TEdit_Date_Padrao_VYN>(tdData)),
      lbDatFin(Create<TLabel>()),
      edDatFin(Create<TEdit_Date_Padrao_VYN>(tdData)),
      lvEmpresas(Create<TListViewDB_VYN>(std::vector<std::string>{"Código", "Nome"})),
      edCODEMP(Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas))),
      edDataInicialEmissao(Create<TEdit_Date_Padrao_VYN>(tdData)),
      edDataFinalEmissao(Create<TEdit_Date_Padrao_VYN>(tdData)) {
  SetName("frImportacaoPagamentosVYNReport");
  SetCaption("Importação de pagamentos do ^VYN ^Report");
  lbDatIni->SetName("lbDatIni");
  lbDatIni->SetCaption("Pagos em:");
  edDatIni->SetName("edDatIni");
  lbDatFin->SetName("lbDatFin");
  lbDatFin->SetCaption("à:");
  edDatFin->SetName("edDatFin");
  lvEmpresas->SetName("lvEmpresas");
  edCODEMP->SetName("edCODEMP");
  edDataInicialEmissao->SetName("edDataInicialEmissao");
  edDataFinalEmissao->SetName("edDataFinalEmissao");
  for (TControl* c : std::initializer_list<TControl*>{edCODEMP, edDataInicialEmissao, edDataFinalEmissao, spConsulta})
    c->SetVisible(false);
  const TDateTime hoje = Today();
  edDatIni->SetData(StartOfTheMonth(hoje));
  edDatFin->SetData(EndOfTheMonth(hoje));
}

bool TfrImportacaoPagamentosVYNReport::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrImportacaoPagamentosVYNReport") || TfrProcesso_Padrao_VYN::InheritsFrom(class_name);
}

void TfrImportacaoPagamentosVYNReport::FormCreate() {
  TfrProcesso_Padrao_VYN::FormCreate();
  SetIsTARVO(false);
  FSQLs.clear();
}

void TfrImportacaoPagamentosVYNReport::FormDestroy() {
  TfrProcesso_Padrao_VYN::FormDestroy();
  FSQLs.clear();
}

void TfrImportacaoPagamentosVYNReport::CreateDAO() {
  FDAOEmpresas = TEmpresasMGR::CreateMgr(this);
  CommandTextEmp(0);
}

void TfrImportacaoPagamentosVYNReport::CommandTextEmp(int codEmp) {
  std::string sql =
      "SELECT VYN.BDCODEMP, REF.BDCODPLANOONLINE, VYN.BDCODWEB, VYN.BDCODEMP AS \"Código\", REF.BDNOMEMP,"
      " REF.BDNOMEMP AS \"Nome\""
      " FROM VW_YRK_EMP_VYNREPORT VYN "
      " LEFT OUTER JOIN VW_TEMPRESAS_REF_MAX_MIN MM ON (VYN.BDCODEMP = MM.BDCODEMP)"
      " LEFT OUTER JOIN TEMPRESAS_REF REF ON (REF.BDCODEMP = MM.BDCODEMP AND REF.BDREFEMP = MM.BDREFEMP)";
  if (codEmp > 0) sql += " where VYN.bdcodemp = " + SQLInteger(codEmp);
  sql += " ORDER BY VYN.BDCODEMP";
  FDAOEmpresas->CommandText(sql, ctOpen);
  lvEmpresas->setDataSource(FDAOEmpresas);
  lvEmpresas->SetSelecionarTodos(true);
}

bool TfrImportacaoPagamentosVYNReport::PodeIniciarProcesso() { return lvEmpresas->CheckedCount() > 0; }

void TfrImportacaoPagamentosVYNReport::InicioProcesso() {
  TfrProcesso_Padrao_VYN::InicioProcesso();
  Inconsistencias_VYN()->Clear();
  FStatusProcesso = TfrStatusProcesso::createStatusProcess(this, 2);
}

void TfrImportacaoPagamentosVYNReport::Processo() {
  // Statements of an earlier run were executed (or dropped) with it.
  FSQLs.clear();
  TImportacaoPagamento cliente(ProcessContext().Database);
  FStatusProcesso->setPrimaryMaxProgress(lvEmpresas->CheckedCount());
  FStatusProcesso->setPrimaryStatusProgress(0);
  int passo = 0;
  for (int i = 0; i < lvEmpresas->Count(); ++i) {
    const TListItem& item = lvEmpresas->Item(i);
    if (!item.Checked) continue;
    const int codEmp = static_cast<int>(Variant(item.Caption).AsInteger());
    if (!FDAOEmpresas->SearchKey("BDCODEMP", {codEmp})) continue;
    FStatusProcesso->setPrimaryStatusProgress(++passo);
    const std::string rotulo = fmt::format("Empresa {} - {}", codEmp, FDAOEmpresas->FieldByName("BDNOMEMP").AsString());
    FStatusProcesso->setPrimaryStatusLabel(rotulo);
    Inconsistencias_VYN()->SetEmpresaAtual(codEmp);

    cliente.setClienteId(ProcessContext().CustomerCode);
    cliente.SistemaId = 50;
    const TField& web = FDAOEmpresas->FieldByName("BDCODWEB");
    cliente.EmpresaId = web.IsNull() ? 0 : static_cast<int>(web.AsInteger());
    cliente.FDataInicial = edDatIni->GetData();
    cliente.FDataFinal = edDatFin->GetData();
    TResultadoImportacao r = cliente.Execute();
    if (r.Ok) {
      RealizaBaixas(codEmp, r.Pagamentos);
    } else if (IsUnattended()) {
      throw std::runtime_error("Erro na importação: Retorno VYN Report: " + Join(r.Erros, " "));
    } else {
      for (const std::string& e : r.Erros) Inconsistencias_VYN()->Add_Atencao("Retorno VYN Report: " + e, true, nullptr);
    }
  }
  GravaConferencias();
}

namespace {

// An old guide and its re-issue may share the principal: the open one with the paid total decides,
// then any open one, then the first. Leaves the data set on the chosen row.
void PosicionaGuia(TSQLMGR& guias, Currency pagoTotal) {
  int escolhida = -1, aberta = -1, linha = 0;
  for (guias.First(); !guias.Eof(); guias.Next(), ++linha) {
    if (!guias.FieldByName("BDCODPGTO").IsNull()) continue;
    if (aberta < 0) aberta = linha;
    if (guias.FieldByName("BDTOTAL").AsCurrency() == pagoTotal) {
      escolhida = linha;
      break;
    }
  }
  if (escolhida < 0) escolhida = aberta < 0 ? 0 : aberta;
  guias.First();
  for (int k = 0; k < escolhida; ++k) guias.Next();
}

// A portal payment as a source of the books: the portal's own identifier, which a correction of the
// payment in the portal keeps (its date, amounts or nickname are what a correction changes).
std::string ChavePagamento(const TPagamentos& pg) { return "id|" + pg.Id; }

// The paying account: the configuration of the payment's nickname, else the main one.
void ContaDoPagamento(TCONF_CONTAS_ONLINEMGR& conf, const std::string& apelido, TDadosBaixaImposto& dados) {
  for (int passo = 0; passo < 2; ++passo) {
    for (conf.First(); !conf.Eof(); conf.Next()) {
      const bool ok = passo == 0 ? !apelido.empty() && SameText(conf.FieldByName("BDAPECTACO").AsString(), apelido)
                                 : conf.FieldByName("BDCHAVEVINC").IsNull();
      if (!ok) continue;
      dados.ChaveConfOnline = conf.GetCHAVE();
      dados.ContaContabilCredito = conf.GetCONTACREDPGTO();
      return;
    }
  }
}

}  // namespace

std::string TfrImportacaoPagamentosVYNReport::MotivoRecusa(TSQLMGR& guias, const TPagamentos& pg) const {
  if (!guias.FieldByName("BDCODPGTO").IsNull()) return "Imposto emitido já pago";
  if (guias.FieldByName("BDTOTAL").AsCurrency() != pg.ValorPagoTotal)
    return "O valor total informado no VYN Report (" + pg.ValorPagoTotal.ToBR(2) +
           ") não corresponde ao valor total do imposto emitido";
  // The settlement posts the guide's open balance: settling a balance other than what the portal
  // paid would record an amount nobody paid.
  const Variant saldo =
      ProcessContext().Database->QueryValue("SELECT BDSALDOAPAGAR FROM TDARFGERPGTO WHERE BDCODEMP = ? AND BDCHAVEDARF = ?",
                                            {Empresa, guias.FieldByName("BDCHAVEDARF").AsInteger()});
  if (!saldo.IsNull() && saldo.AsCurrency() != pg.ValorPagoTotal)
    return "O valor total informado no VYN Report (" + pg.ValorPagoTotal.ToBR(2) +
           ") não corresponde ao saldo a pagar do imposto emitido (" + saldo.AsCurrency().ToBR(2) + ")";
  return {};
}

std::string TfrImportacaoPagamentosVYNReport::BloqueioDoPagamento(int codEmp, const TPagamentos& pg) const {
  if (pg.DataPagamento.Value == 0) return "o VYN Report não informou a data do pagamento.";
  IPostingLockCheck* check = ProcessContext().PostingLocks;
  std::string texto;
  if (!check || !check->Locked(codEmp, pg.DataPagamento, pg.DataPagamento, ExecucaoDe(this, {"frLancamento"}).TelasSQL(),
                               ProcessContext().UserCode, 4, texto))
    return {};
  return texto.empty() ? "o período de " + DateToStr(pg.DataPagamento) + " está bloqueado para lançamentos." : texto;
}

void TfrImportacaoPagamentosVYNReport::RealizaBaixas(int codEmp, const std::vector<TPagamentos>& pagamentos) {
  Empresa = codEmp;
  TComponent dono;   // the company's managers go with it
  TSQLMGR* guias = TSQLMGR::CreateMgr(&dono);
  TProcessoBaixas baixas(&dono, nullptr);
  TCONF_CONTAS_ONLINEMGR* conf = TCONF_CONTAS_ONLINEMGR::CreateMgr(&dono);
  const TField* plano = FDAOEmpresas->SearchKey("BDCODEMP", {codEmp}) ? FDAOEmpresas->FindField("BDCODPLANOONLINE")
                                                                      : nullptr;
  const int planoOnline = plano && !plano->IsNull() ? static_cast<int>(plano->AsInteger()) : 0;
  conf->getConsultaVariasContas(planoOnline, -2, edDatIni->GetData_AnoMes(),
                                kClassificacaoPrincipal.Pagamento, true, true, false, -1);
  TInconsistencias_VYN* lista = Inconsistencias_VYN();
  TDatabase& db = *ProcessContext().Database;
  TLivros livros(db, ExecucaoDe(this));
  for (const TPagamentos& pg : pagamentos) {
    if (pg.Id.empty()) {
      // Without the portal's identifier a corrected payment could not be told from a new one.
      AddInconsistencia(0, pg, "Baixa não realizada: o VYN Report não informou o identificador do pagamento");
      continue;
    }
    const std::string fonte = ChavePagamento(pg);
    guias->CommandText(kSQLGuias, ctOpen, {codEmp, pg.getReferencia(), pg.ValorOriginal, pg.RelatorioId});
    if (guias->IsEmpty()) {
      AddInconsistencia(0, pg, "Não foi encontrado nenhum imposto emitido");
      continue;
    }
    PosicionaGuia(*guias, pg.ValorPagoTotal);
    const int codImp = static_cast<int>(guias->FieldByName("BDCODIMP").AsInteger());
    if (const std::string motivo = MotivoRecusa(*guias, pg); !motivo.empty()) {
      AddInconsistencia(codImp, pg, motivo);
      continue;
    }
    if (const std::string bloqueio = BloqueioDoPagamento(codEmp, pg); !bloqueio.empty()) {
      AddInconsistencia(codImp, pg, "Baixa não realizada: " + bloqueio);
      continue;
    }
    // Booked already: no other guide is settled for it (the unique key of its record decides at the
    // write; this spares the settlement a write that would be undone).
    if (const auto antes = livros.FonteRegistrada(codEmp, TTipoFonte::PagamentoPortal, fonte)) {
      const TFonteLancada f{codEmp, TTipoFonte::PagamentoPortal, fonte, pg.ToString()};
      std::string motivo = std::string("Baixa não realizada: ") + EFonteJaLancada(f, *antes).what();
      // A payment corrected in the portal after its settlement: what changed is told, never settled again.
      if (antes->Valor > Currency() && antes->Valor != pg.ValorPagoTotal)
        motivo += " O VYN Report informa agora " + pg.ValorPagoTotal.ToBR(2) + " e foram baixados " +
                  antes->Valor.ToBR(2) + ": a diferença de " + (pg.ValorPagoTotal - antes->Valor).Abs().ToBR(2) +
                  " não foi baixada.";
      AddInconsistencia(codImp, pg, motivo);
      continue;
    }
    const std::string chaveDarf = guias->FieldByName("BDCHAVEDARF").AsString();
    TDadosBaixaImposto dados;
    dados.Utilizado = false;
    dados.CodigoEmpresa = codEmp;
    dados.DataPagamento = pg.DataPagamento;
    dados.PlanoOnline = planoOnline;
    ContaDoPagamento(*conf, pg.FormaPagamentoApelido, dados);
    dados.CodigoDarf = chaveDarf;
    FLogEvent->InicializaVariaveis(true);
    const int antes = lista->Count();
    // The payment is booked once: its record, naming the settlement's entry, and the settlement commit
    // together, or neither does; deleting that entry frees the payment for a later run.
    TTransaction tx(db);
    try {
      TFonteLancada f{codEmp, TTipoFonte::PagamentoPortal, fonte, pg.ToString()};
      f.Movimento = {pg.DataPagamento, 0, dados.ContaContabilCredito, {}};
      baixas.RealizaBaixaImposto(this, dados, BloqueioLancamento_Padrao_VYN);
      // The engine reports instead of raising: a new message means the guide was not settled.
      if (lista->Count() != antes || !baixas.NomeiaBaixaImposto(f)) {
        tx.Rollback();
        AddInconsistencia(codImp, pg, "Baixa não realizada: " + Mensagens(*lista, antes));
        continue;
      }
      livros.RegistraFonte(f);
    } catch (const std::exception& e) {
      tx.Rollback();
      AddInconsistencia(codImp, pg, std::string("Baixa não realizada: ") + e.what());
      continue;
    }
    tx.Commit();
    FLogEvent->SetEmpresaAtual(codEmp);
    FLogEvent->AddAcao("Baixa de imposto.");
    FLogEvent->AddAcao("Chave " + chaveDarf);
    FLogEvent->Logger();
    lista->Add_Informativo(pg.ToString() + ": " + "Baixa realizada", true, nullptr);
    AddConferencia(codImp, pg, "BDIMPORTADO", TSQLValor(1));
  }
}

void TfrImportacaoPagamentosVYNReport::AddInconsistencia(int codImp, const TPagamentos& pagamento,
                                                         const std::string& mensagem) {
  if (!IsUnattended()) {
    Inconsistencias_VYN()->Add_Atencao(pagamento.ToString() + ": " + mensagem, true, nullptr);
    return;
  }
  if (codImp == 0) {
    TSQLMGRHandle sql = getSQLMgr_do_Pool();
    sql->CommandText(
        " SELECT BDCODIMP FROM TIMPOSTO IMP JOIN TYRK_TRELATORIOS YRK ON (YRK.BDCHAVE = IMP.BDCHAVEYRK)"
        " WHERE YRK.BDTAGWEB = ?",
        ctOpen, {pagamento.RelatorioId});
    if (!sql->IsEmpty() && !sql->FieldByName("BDCODIMP").IsNull())
      codImp = static_cast<int>(sql->FieldByName("BDCODIMP").AsInteger());
  }
  const std::string texto = "Importação: " + mensagem;
  RegistraInconsistenciaExecucao(texto);
  AddConferencia(codImp, pagamento, "BDINCONSISTENCIA", TSQLValor(Utf8Left(texto, 200)));
}

// Only the outcome's own column is written: a refusal under the same keys (a later run of the
// schedule finding the guide paid) must not erase the settlement recorded before it.
void TfrImportacaoPagamentosVYNReport::AddConferencia(int codImp, const TPagamentos& pagamento,
                                                      const std::string& coluna, const TSQLValor& valor) {
  const TProcessContext& ctx = ProcessContext();
  FSQLs.push_back(getUpdateOrInsert_VYN(
      "VSH_EMP_TCONF_IMPPAG_IMP",
      {"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO", "BDCODIMP", "BDVALOR", "BDREFERENCIA",
       coluna},
      {ctx.WP_AGENDAMENTO, Empresa, ctx.WP_PLANO_TARVO, ctx.WP_ORDEM_AGENDAMENTO, codImp,
       TSQLValor(Variant(pagamento.ValorOriginal)), pagamento.getReferencia(), valor},
      {"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO", "BDCODIMP", "BDVALOR", "BDREFERENCIA"}));
}

void TfrImportacaoPagamentosVYNReport::GravaConferencias() {
  if (FSQLs.empty()) return;
  TDatabase& db = *ProcessContext().Database;
  try {
    TTransaction tr(db);
    for (const TComandoSQL& c : FSQLs) c.Execute(db);
    tr.Commit();
  } catch (const std::exception& e) {
    // The settlements stand; only their record in the conference table is missing.
    const std::string msg = std::string("Erro ao gravar a conferência dos pagamentos: ") + e.what();
    if (IsUnattended()) throw std::runtime_error(msg);
    Inconsistencias_VYN()->Add_Erro(msg, true, nullptr);
  }
  FSQLs.clear();
}

void TfrImportacaoPagamentosVYNReport::FimProcesso() {
  TfrProcesso_Padrao_VYN::FimProcesso();
  if (!IsUnattended()) {
    TInconsistencias_VYN* lista = Inconsistencias_VYN();
    lista->Execute(true, true, true, true, "");
    if (lista->IsEmpty()) DlgWarOk("Não foi encontrado nenhum registro para ser importado!");
  }
  if (FStatusProcesso) FStatusProcesso->Finalize();
}

}  // namespace integracao
