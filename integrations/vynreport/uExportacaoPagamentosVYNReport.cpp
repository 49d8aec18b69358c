#include "integrations/vynreport/uExportacaoPagamentosVYNReport.h"

#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "framework/component/resultado_execucao.h"
#include "framework/accounting/config_imposto_vyn.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/list_view_db.h"
#include "framework/ui/log_event.h"
#include "framework/ui/report_vyn.h"
#include "framework/ui/status_processo.h"
#include "framework/web/exp_vyn_report.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr int kMaxEmpresasEmLista = 1500;

std::vector<int64_t> Codigos(const TListViewDB_VYN& lista) {
  std::vector<int64_t> v;
  for (const TListItem* it : lista.CheckedItems()) v.push_back(Variant(it->Caption).AsInteger());
  return v;
}

}  // namespace

TfrExportacaoPagamentosVYNReport::TfrExportacaoPagamentosVYNReport(TComponent* owner)
    : TfrProcesso_Padrao_VYN(owner),
      lbDatIni(Create<TLabel>()),
      edDatIni(Create<TEdit_Date_Padrao_VYN>(tdData)),
      lbDatFin(Create<TLabel>()),
      edDatFin(Create<TEdit_Date_Padrao_VYN>(tdData)),
      lvEmpresas(Create<TListViewDB_VYN>(std::vector<std::string>{"Código", "Nome"})),
      lbImpostos(Create<TLabel>()),
      lvImpostos(Create<TListViewDB_VYN>(std::vector<std::string>{"Código", "Descrição"})),
      edCODEMP(Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas))),
      edDataInicialEmissao(Create<TEdit_Date_Padrao_VYN>(tdData)),
      edDataFinalEmissao(Create<TEdit_Date_Padrao_VYN>(tdData)),
      frxReportPreview(Create<TfrxReportVYN>()) {
  lbImpostos->SetName("lbImpostos");
  edCODEMP->SetName("edCODEMP");
  lbDatIni->SetName("lbDatIni");
  edDataInicialEmissao->SetName("edDataInicialEmissao");
  lbDatFin->SetName("lbDatFin");
  edDataFinalEmissao->SetName("edDataFinalEmissao");
  SetName("frExportacaoPagamentosVYNReport");
  SetCaption("Exportação dos pagamentos ^VYN ^Report");
  lbDatIni->SetCaption("Pagos em:");
  lbDatFin->SetCaption("à:");
  lbImpostos->SetCaption("Impostos");
  edDatIni->SetName("edDatIni");
  edDatFin->SetName("edDatFin");
  lvEmpresas->SetName("lvEmpresas");
  lvImpostos->SetName("lvImpostos");
  for (TControl* c : std::initializer_list<TControl*>{edCODEMP, edDataInicialEmissao, edDataFinalEmissao, spConsulta})
    c->SetVisible(false);
  const TDateTime hoje = Today();
  edDatIni->SetData(StartOfTheMonth(hoje));
  edDatFin->SetData(EndOfTheMonth(hoje));
  edDatFin->OnExit = [this](TComponent* s) { edDatFinExit(s); };
  lvEmpresas->OnItemChecked = [this](TComponent*, TListItem& it) {
    if (!it.Caption.empty() && !FMudandoStatusDeTudo) AtualizaImpostos(true);
  };
  lvEmpresas->OnBeforeCheckAll = lvEmpresas->OnBeforeUnCheckAll = [this](TComponent*) { FMudandoStatusDeTudo = true; };
  lvEmpresas->OnAfterCheckAll = lvEmpresas->OnAfterUnCheckAll = [this](TComponent*) {
    FMudandoStatusDeTudo = false;
    AtualizaImpostos(false);
  };
  // The identifier report: one band whose memo evaluates the tax's break and hands it back.
  frxReportPreview->MemoText = "[TagYRK]";
  frxReportPreview->OnBeforePrint = [](TfrxReportVYN& r) {
    r.MemoText = "[" + r.CallFunction("GetQuebra").AsString() + "]";
  };
  frxReportPreview->OnAfterPrint = [](TfrxReportVYN& r) { r.CallFunction("setYRKValor", {r.MemoValue}); };
  frxReportPreview->OnGetValue = [this](const std::string& nome, Variant& valor) { frxUserDataSetGetValue(nome, valor); };
}

void TfrExportacaoPagamentosVYNReport::frxUserDataSetGetValue(const std::string& varName, Variant& value) {
  const std::string nome = UpperCase(varName);
  auto campo = [this](std::initializer_list<const char*> nomes) -> const TField* {
    if (!FDadosGuia || !FDadosGuia->Active()) return nullptr;
    for (const char* n : nomes)
      if (const TField* f = FDadosGuia->FindField(n)) return f;
    return nullptr;
  };
  if (nome == "EDREFERENCIA") {
    if (const TField* f = campo({"BDREFERENCIA"}); f && !f->IsNull()) value = Variant(f->AsInteger());
  } else if (nome == "DTVENCIMENTO") {
    // The guide's due date, under the name the tax's print data gives it.
    if (const TField* f = campo({"BDVENCIMENTO", "BDDATAVCTO"}); f && !f->IsNull()) value = Variant(f->AsDateTime());
  } else if (nome == "EDQUOTA") {
    value = Variant(std::string("0"));
  }
}

bool TfrExportacaoPagamentosVYNReport::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrExportacaoPagamentosVYNReport") || TfrProcesso_Padrao_VYN::InheritsFrom(class_name);
}

void TfrExportacaoPagamentosVYNReport::FormCreate() {
  FExportacaoPagamento = std::make_unique<TExportacaoPagamento>(ProcessContext().Database);
  FObjImpNodeAtu = Create<TConfigImpostoVYN>();
  FFuncionVynReport = FObjImpNodeAtu->FFunctionsVYNReport;
  SetIsTARVO(false);
  TfrProcesso_Padrao_VYN::FormCreate();
}

void TfrExportacaoPagamentosVYNReport::FormDestroy() {
  TfrProcesso_Padrao_VYN::FormDestroy();
  FExportacaoPagamento.reset();
  FSQLs.clear();
}

void TfrExportacaoPagamentosVYNReport::CreateDAO() {
  FDAOUpdates = TSQLMGR::CreateMgr(this);
  FDAOEmpresas = TEmpresasMGR::CreateMgr(this);
  FDAOImposto = TSQLMGR::CreateMgr(this);
  CommandTextEmp(0);
  AtualizaImpostos(true);
}

void TfrExportacaoPagamentosVYNReport::CommandTextEmp(int codEmp) {
  std::string sql =
      "SELECT VYN.BDCODEMP, VYN.BDCODEMP AS \"Código\", REF.BDNOMEMP as \"Nome\" FROM VW_YRK_EMP_VYNREPORT VYN "
      " LEFT OUTER JOIN VW_TEMPRESAS_REF_MAX_MIN MM ON (VYN.BDCODEMP = MM.BDCODEMP)"
      " LEFT OUTER JOIN TEMPRESAS_REF REF ON (REF.BDCODEMP = MM.BDCODEMP AND REF.BDREFEMP = MM.BDREFEMP)";
  // The automation service exports only the run's company; its parameter is a number or nothing.
  if (codEmp <= 0 && ProcessContext().IsServiceVarku) codEmp = ProcessContext().WP_EMPRESA_PROCESSO;
  if (codEmp > 0 || ProcessContext().IsServiceVarku) sql += " where VYN.bdcodemp = " + SQLInteger(codEmp);
  FDAOEmpresas->CommandText(sql + " ORDER BY VYN.BDCODEMP", ctOpen);
  lvEmpresas->setDataSource(FDAOEmpresas);
  lvEmpresas->SetSelecionarTodos(true);
}

void TfrExportacaoPagamentosVYNReport::CommandTextImp() {
  const std::vector<int64_t> empresas = Codigos(*lvEmpresas);
  std::string inner;
  if (empresas.empty())
    inner = "SELECT FIRST 1 * FROM TEMPRESAS TEMP %s WHERE TEMP.BDCODEMP IN (0)";
  else if (empresas.size() <= kMaxEmpresasEmLista)
    inner = "SELECT FIRST 1 * FROM TEMPRESAS TEMP %s WHERE TEMP.BDCODEMP IN (" + SQLInList(empresas) + ")";
  else {
    PreencheTMP_EMPRESAS_SELECT();
    inner = "SELECT FIRST 1 * FROM TMP_EMPRESAS_SELECT TEMP %s";
  }
  const std::string join =
      " inner join tdarfpadrao darf  ON (DARF.bdcodemp = TEMP.bdcodemp AND DARF.bdcodimp = IMP.BDCODIMP)"
      " INNER JOIN TDARFGERPGTO_BAIXA PGTO ON (DARF.bdcodemp = PGTO.bdcodemp AND DARF.bdchavedarf = PGTO.bdchavedarf"
      " AND PGTO.bddatapgto BETWEEN " + SQLDate(edDatIni->GetData()) + " AND " + SQLDate(edDatFin->GetData()) + ")";
  inner.replace(inner.find("%s"), 2, join);
  FDAOImposto->CommandText(" SELECT DISTINCT IMP.BDCODIMP, IMP.BDDESCIMP, IMP.BDCODIMP AS \"Código\", IMP.BDDESCIMP as "
                           "\"Descrição\" FROM TIMPOSTO IMP WHERE EXISTS(" + inner + " ) ORDER BY IMP.BDCODIMP",
                           ctOpen);
}

void TfrExportacaoPagamentosVYNReport::AtualizaImpostos(bool marcar) {
  CommandTextImp();
  lvImpostos->setDataSource(FDAOImposto);
  if (marcar) lvImpostos->CheckAll(true);
}

void TfrExportacaoPagamentosVYNReport::edDatFinExit(TComponent*) { AtualizaImpostos(true); }

void TfrExportacaoPagamentosVYNReport::PreencheTMP_EMPRESAS_SELECT() {
  std::vector<std::string> script{"DELETE FROM TMP_EMPRESAS_SELECT;"};
  for (int64_t c : Codigos(*lvEmpresas))
    script.push_back("INSERT INTO TMP_EMPRESAS_SELECT(BDCODEMP) VALUES(" + SQLInteger(c) + ");");
  const std::string erro = TSQLMGR::Executa_Script(script, false, true, "", 0, false);
  if (!erro.empty()) throw std::runtime_error("Erro ao preparar as empresas selecionadas: " + erro);
}

bool TfrExportacaoPagamentosVYNReport::PodeIniciarProcesso() {
  if (lvImpostos->CheckedCount() == 0) {
    // The scheduled run must not ask; its result message says why nothing went: with no tax paid
    // in the period there is simply nothing to send.
    if (IsUnattended() && lvImpostos->Count() == 0)
      RegistraMensagemExecucao("Nenhum registro para ser exportado.");
    else if (IsUnattended())
      RegistraInconsistenciaExecucao("Nenhum imposto selecionado!");
    else
      DlgWarOk("Nenhum imposto selecionado!");
    return false;
  }
  return true;
}

// The run's query: the guides of the selected companies and taxes paid in the period.
void TfrExportacaoPagamentosVYNReport::PreparaExportacao() {
  FLogEvent->InicializaVariaveis(true);
  setReportFunctions(frxReportPreview);
  FExportacaoPagamento->SistemaId = 50;
  FExportacaoPagamento->setClienteId(ProcessContext().CustomerCode);
  FExportacaoPagamento->ClearRegistros();
  // Only this run's guides are marked when the portal takes them.
  FSQLs.clear();
  PreencheTMP_EMPRESAS_SELECT();
  FDAOUpdates->CommandText(
      " SELECT distinct EMP.bdcodemp, EMP.bdcodweb, REL.bdtagweb, D.bdreferencia, D.bdvalor, pgto.bddatapgto,"
      " D.bddatavcto,  D.bdcodcol, D.BDNOTAFISCAL, I.bdcodimp, D.BDCHAVEDARF, d.BDJUROS, d.BDMULTA, " +
          TConfigImpostoVYN::CaseSQLDescTipoCalc() + " AS BDDESCTIPOCALC" +
          " FROM TMP_EMPRESAS_SELECT TEMP"
          " LEFT OUTER JOIN VW_YRK_EMP_VYNREPORT EMP ON (EMP.bdcodemp = TEMP.bdcodemp)"
          // A guide paid in parts goes once, with its last payment of the period: the portal
          // would take every row for a payment of the whole principal.
          " LEFT OUTER JOIN (SELECT B.BDCODEMP, B.BDCHAVEDARF, MAX(B.BDDATAPGTO) AS BDDATAPGTO"
          "   FROM TDARFGERPGTO_BAIXA B WHERE B.BDDATAPGTO BETWEEN ? AND ?"
          "   GROUP BY B.BDCODEMP, B.BDCHAVEDARF) PGTO ON (PGTO.BDCODEMP = TEMP.BDCODEMP)"
          " LEFT OUTER JOIN TDARFPADRAO D ON (D.BDCODEMP = PGTO.BDCODEMP AND D.BDCHAVEDARF = PGTO.BDCHAVEDARF)"
          " LEFT OUTER JOIN TIMPOSTO I ON (I.BDCODIMP = D.BDCODIMP)"
          " LEFT OUTER JOIN tyrk_trelatorios REL ON (I.BDCHAVEYRK = REL.bdchave)"
          " WHERE PGTO.BDDATAPGTO BETWEEN ? AND ? AND D.BDCODIMP IN (" + SQLInList(Codigos(*lvImpostos)) +
          ") and bdtagweb is not null ORDER BY 1, D.BDCHAVEDARF, pgto.bddatapgto",
      ctOpen, {edDatIni->GetData(), edDatFin->GetData(), edDatIni->GetData(), edDatFin->GetData()});
}

// The guide's tax configuration and print data (FDadosGuia), read by the report functions.
void TfrExportacaoPagamentosVYNReport::CarregaGuia(int codImp, int referencia, const Variant& chaveDarf,
                                                  TSQLMGR& dadosGuia) {
  if (FObjImpNodeAtu) FreeComponent(FObjImpNodeAtu);
  FObjImpNodeAtu = Create<TConfigImpostoVYN>();
  FObjImpNodeAtu->SetEditEmpresa(edCODEMP);
  FObjImpNodeAtu->SetEditsPeriodo(edDataInicialEmissao, edDataFinalEmissao);
  FFuncionVynReport = FObjImpNodeAtu->FFunctionsVYNReport;
  edCODEMP->Vale(Empresa);
  edDataInicialEmissao->SetData(FirstDayOfAnoMes(referencia));
  edDataFinalEmissao->SetData(LastDayOfAnoMes(referencia));
  FObjImpNodeAtu->FCodImp = codImp;
  FObjImpNodeAtu->CarregaDados(true);
  FObjImpNodeAtu->AddEmp(Empresa, nullptr, FDAOUpdates->FieldByName("BDDESCTIPOCALC").Value(), chaveDarf);
  // The print data is always this guide's: the report functions read it.
  FDadosGuia = FObjImpNodeAtu->CarregaDataSetImpostoAux(Empresa, codImp, std::to_string(referencia), nullptr, chaveDarf);
  if (!FDadosGuia) {
    const std::string sql = FObjImpNodeAtu->GetSqlImpressaoPreview(FDAOUpdates->FieldByName("BDDATAVCTO").Value(),
                                                                   Empresa, codImp, 0, std::to_string(referencia),
                                                                   std::to_string(referencia), nullptr, chaveDarf);
    if (!sql.empty())
      dadosGuia.CommandText(sql, ctOpen);
    else
      dadosGuia.CommandText(
          "select IMP.*, FASEMP.BDOPCAOESOCIAL, FASEMP.BDREFINIDCTFWEB from TDARFPADRAO IMP left outer join "
          "VRH_ESOCIAL_TFASEAMENTO FASEMP on (FASEMP.BDCODEMP = IMP.BDCODEMP)  where IMP.bdcodemp = ? and "
          "IMP.BDCHAVEDARF = ?",
          ctOpen, {Empresa, chaveDarf});
    FDadosGuia = &dadosGuia;
  }
}

// The portal's record of the guide the identifier report has just read.
void TfrExportacaoPagamentosVYNReport::AdicionaRegistro(const TExpVYNReport& exp, const nlohmann::json& guia, int codImp,
                                                        int referencia) {
  const Currency juros = FDAOUpdates->FieldByName("BDJUROS").AsCurrency();
  const Currency multa = FDAOUpdates->FieldByName("BDMULTA").AsCurrency();
  const Currency principal = exp.Valor - juros - multa;
  // The portal would take a payment whose principal is below zero as it came: a wrong amount.
  if (principal < Currency())
    throw std::runtime_error(fmt::format("o valor principal ficaria negativo ({}): o valor do identificador ({}) é "
                                         "menor que os juros ({}) mais a multa ({}).",
                                         principal.ToBR(2), exp.Valor.ToBR(2), juros.ToBR(2), multa.ToBR(2)));
  TRegistroExportacaoPagamento& r = FExportacaoPagamento->AddRegistro();
  r.EmpresaId = exp.EmpresaYRK;
  r.RelatorioId = exp.Relatorio;
  r.AnoRef = referencia / 100;
  r.MesRef = referencia % 100;
  r.DataRef = FirstDayOfAnoMes(referencia);
  r.DataFinal = r.DataRef;
  r.Valor = principal;
  r.FuncionarioId = exp.CodFunc;
  if (guia.contains("serie") && guia["serie"].is_string()) r.Serie = guia["serie"].get<std::string>();
  r.TipoGuia = static_cast<int>(exp.TipoGuia);
  r.TipoFolha = static_cast<int>(exp.TipoFolhaPag);
  if (guia.contains("tipoFuncionario") && guia["tipoFuncionario"].is_string())
    r.TipoFuncionario = guia["tipoFuncionario"].get<std::string>().substr(0, 1);
  r.DataPagamento = FDAOUpdates->FieldByName("BDDATAPGTO").AsDateTime();
  r.DataVencimento = FDAOUpdates->FieldByName("BDDATAVCTO").AsDateTime();
  r.Individual = exp.Individual;
  r.ValorPagoMulta = multa;
  r.ValorPagoJuros = juros;
  AddImposto(codImp, referencia, r.Valor);
}

// One guide of the query's current row into the portal's records; false when it was left out
// (the reason is in the list).
bool TfrExportacaoPagamentosVYNReport::ExportaGuia(TSQLMGR& dadosGuia, TInconsistencias_VYN& lista) {
  Empresa = static_cast<int>(FDAOUpdates->FieldByName("BDCODEMP").AsInteger());
  const int codImp = static_cast<int>(FDAOUpdates->FieldByName("BDCODIMP").AsInteger());
  const int referencia = static_cast<int>(FDAOUpdates->FieldByName("BDREFERENCIA").AsInteger());
  const Variant chaveDarf = FDAOUpdates->FieldByName("BDCHAVEDARF").Value();
  CarregaGuia(codImp, referencia, chaveDarf, dadosGuia);
  bool exportada = true;
  frxReportPreview->ClearDataSets();
  frxReportPreview->AddDataSet("Dados", FDadosGuia);
  frxReportPreview->AddUserDataSet("Parâmetros");
  FYRKValor.clear();
  TExpVYNReport* exp = Create<TExpVYNReport>();
  try {
    frxReportPreview->PrepareReport(true);
    exp->SetFileName("U" + ZeroPad(ProcessContext().CustomerCode, 6) + FYRKValor);
    const nlohmann::json json = nlohmann::json::parse(exp->getJSon(""));
    const auto lista_guia = json.find(std::to_string(exp->EmpresaYRK));
    if (lista_guia == json.end() || !lista_guia->is_array() || lista_guia->empty())
      throw EIdentificadorVYNReport("Guia sem dados da empresa " + std::to_string(exp->EmpresaYRK) + " no VYN Report");
    const nlohmann::json& guia = lista_guia->front();
    AdicionaRegistro(*exp, guia, codImp, referencia);
  } catch (const std::exception& e) {
    // A guide whose identifier cannot be read is left out; the others still go.
    exportada = false;
    lista.Add_Erro(Empresa, fmt::format("Guia {} do imposto {} não exportada: {}", chaveDarf.AsString(), codImp, e.what()));
  }
  FreeComponent(exp);
  return exportada;
}

// The run's end: the portal takes the records, the outcome is shown and the taken guides are marked.
void TfrExportacaoPagamentosVYNReport::EncerraExportacao(TfrStatusProcesso* status, TInconsistencias_VYN* lista,
                                                         int recusadas) {
  if (FExportacaoPagamento->Registros().empty()) {
    if (IsUnattended() && recusadas)
      RegistraInconsistenciaExecucao(lista->getItemObjeto(0).Caption);
    else if (IsUnattended())
      RegistraMensagemExecucao("Nenhum registro para ser exportado.");
    else
      lista->Execute(true, true, true, true, "");
    status->Finalize();
    return;
  }
  const TResultadoExportacao res = FExportacaoPagamento->Execute();
  if (!res.Ok) {
    status->Finalize();
    if (IsUnattended()) throw std::runtime_error("Erro ao exportar pagamentos. " + Join(res.ErrorMessages, " "));
    DlgWarOk("Total de pagamentos baixados: " + std::to_string(res.TotalBaixados) +
             ". Não foi possível integrar todos os registros com a WEB.");
    for (const std::string& e : res.ErrorMessages) lista->Add_Erro(e, true, nullptr);
    lista->Execute(true, true, true, true, "");
    return;
  }
  if (!IsUnattended()) DlgInfOk("Pagamentos integrados com sucesso!");
  if (res.TotalBaixados == 0 && IsUnattended()) RegistraInconsistenciaExecucao("Nenhum pagamento integrado na WEB.");
  // A guide left out is not a clean run, even when the others went.
  if (recusadas && IsUnattended()) RegistraInconsistenciaExecucao(lista->getItemObjeto(0).Caption);
  const std::string enviados = "Total de pagamentos enviados: " + std::to_string(res.TotalRecebidos);
  const std::string baixados = "Total de pagamentos baixados: " + std::to_string(res.TotalBaixados);
  lista->Add_Informativo(enviados, true, nullptr);
  lista->Add_Informativo(baixados, true, nullptr);
  lista->Execute(true, true, true, true, "");
  FLogEvent->AddAcao(enviados, "", false);
  FLogEvent->AddAcao(baixados, "", false);
  FLogEvent->LogProcesso("", logProcesso);
  GravaConferencia(status);
}

// Marks this run's guides as taken by the portal.
void TfrExportacaoPagamentosVYNReport::GravaConferencia(TfrStatusProcesso* status) {
  TDatabase& db = *ProcessContext().Database;
  try {
    TTransaction tr(db);
    for (const TComandoSQL& c : FSQLs) c.Execute(db);
    tr.Commit();
  } catch (const std::exception& e) {
    status->Finalize();
    const std::string msg = std::string("Erro ao gravar a conferência dos pagamentos exportados: ") + e.what();
    if (IsUnattended()) throw std::runtime_error(msg);
    DlgWarOk(msg);
  }
  FSQLs.clear();
  status->Finalize();
}

void TfrExportacaoPagamentosVYNReport::Processo() {
  PreparaExportacao();
  TfrStatusProcesso* status = TfrStatusProcesso::createStatusProcess(this, 2);
  status->setPrimaryStatusLabel("Exportando pagamentos...");
  status->setPrimaryMaxProgress(FDAOUpdates->RecordCount());
  TSQLMGR* dadosGuia = TSQLMGR::CreateMgr(this);
  TInconsistencias_VYN* lista = Inconsistencias_VYN();
  lista->Clear();
  int posicao = 0, recusadas = 0;
  for (FDAOUpdates->First(); !FDAOUpdates->Eof(); FDAOUpdates->Next()) {
    status->setPrimaryStatusProgress(++posicao);
    if (!ExportaGuia(*dadosGuia, *lista)) ++recusadas;
  }
  EncerraExportacao(status, lista, recusadas);
}

void TfrExportacaoPagamentosVYNReport::AddImposto(int codImp, int referencia, Currency valor) {
  const TProcessContext& ctx = ProcessContext();
  FSQLs.push_back(getUpdateOrInsert_VYN(
      "VSH_EMP_TCONF_IMPPAG_IMP",
      {"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO", "BDCODIMP", "BDVALOR", "BDREFERENCIA",
       "BDEXPORTADO"},
      {ctx.WP_AGENDAMENTO, Empresa, ctx.WP_PLANO_TARVO, ctx.WP_ORDEM_AGENDAMENTO, codImp, TSQLValor(Variant(valor)),
       referencia, 1},
      {"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO", "BDCODIMP", "BDVALOR", "BDREFERENCIA"}));
}

std::string TfrExportacaoPagamentosVYNReport::GetTipoCalculoYRK() {
  const TField* f = FDadosGuia && FDadosGuia->Active() ? FDadosGuia->FindField("BDCHAVEDARF") : nullptr;
  const int tipo = f && !f->IsNull() ? FObjImpNodeAtu->GetTipoCalcImp(f->AsInteger()) : 0;
  return ZeroPad(static_cast<long long>(tipo), 2);
}

std::string TfrExportacaoPagamentosVYNReport::getTipoFolhaWeb(int n) { return ZeroPad(static_cast<long long>(n), 2); }

std::string TfrExportacaoPagamentosVYNReport::GetCodEmpVynReport(int codEmp) {
  std::string cod = FFuncionVynReport ? FFuncionVynReport->GetCodEmpRelatorio(codEmp) : "XXXXXX";
  if (cod == "XXXXXX") {
    const int web = TYRK_trelatorios_empMGR::GetCodWebTagImposto(this, codEmp, FObjImpNodeAtu ? FObjImpNodeAtu->FChaveYRK : -1);
    if (web > -1) cod = ZeroPad(static_cast<long long>(web), 6);
  }
  return cod;
}

std::string TfrExportacaoPagamentosVYNReport::GetTagVYNReport() {
  return FObjImpNodeAtu ? FObjImpNodeAtu->GetTagVynReport() : "";
}

std::string TfrExportacaoPagamentosVYNReport::getCodRecImposto() {
  const TField* f = FDadosGuia && FDadosGuia->Active() ? FDadosGuia->FindField("BDCODRECOF") : nullptr;
  return f && !f->IsNull() ? OnlyDigits(f->AsString()) : std::string();
}

}  // namespace integracao
