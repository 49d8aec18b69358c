#include "postingutil/uProcessoDefineInicioContabilizacao.h"

#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/livros/livros.h"
#include "framework/ui/combo_lookup.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/status_processo.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr const char* kSqlModulos =
    "select s.bdtipolancontab,s.bdcodsis,s.bddescsis from tsistema s where coalesce(s.bdtipolancontab,0) > 0"
    " order by s.bdcodsis";
constexpr const char* kMsgBloqueioLancamentos =
    "Processo não foi realizado, verifique os bloqueios de lançamentos contábeis e encerramentos de exercício entre ";
constexpr int kSistemaBaixas = 3;
constexpr int kSistemaLancamentos = 4;

// A cut-off stops the posting of every later settlement: the locks and closings that matter run
// from the cut-off on, with no end.
TDateTime FimEmAberto() { return EncodeDate(9999, 12, 31); }

}  // namespace

TfrProcessoDefineInicioContabilizacao::TfrProcessoDefineInicioContabilizacao(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      lbModulo(Create<TLabel>()),
      cbModulo(Create<TComboBox_Loockup_Padrao_VYN>()),
      lbData(Create<TLabel>()),
      edData(Create<TEdit_Date_Padrao_VYN>(tdData)),
      lbDataContBaixa(Create<TLabel>()),
      edDataContBaixa(Create<TEdit_Date_Padrao_VYN>(tdData)),
      lbDATACONTOPEIMOB(Create<TLabel>()),
      edDATACONTOPEIMOB(Create<TEdit_Date_Padrao_VYN>(tdData)),
      lbDATACONTIMPOSTOS(Create<TLabel>()),
      edDATACONTIMPOSTOS(Create<TEdit_Date_Padrao_VYN>(tdData)),
      Edit1(Create<TEdit_String_Padrao>()),
      Inconsistencias(Create<TInconsistencias_VYN>()) {
  SetName("frProcessoDefineInicioContabilizacao");
  SetCaption("Definir início da contabilização on-line");
  // No company: every company of the list.
  edCODEMP->AceitaVazio = true;
  edCODEMP->SetAceitaMultiSelecao(true);
  TNotifyEvent entradaEmpresa = edCODEMP->OnEnter;
  edCODEMP->OnEnter = [this, entradaEmpresa](TComponent* s) {
    if (entradaEmpresa) entradaEmpresa(s);
    edCODEMPEnter(s);
  };

  lbModulo->SetName("lbModulo");
  lbModulo->SetCaption("Módulo:");
  cbModulo->SetName("cbModulo");
  cbModulo->Style = csDropDownList;
  cbModulo->KeyField = "bdtipolancontab";
  cbModulo->ListField = "bddescsis";
  cbModulo->OnLookup = [](TComboBox_Loockup_Padrao_VYN&, std::string& sql) { sql = kSqlModulos; };
  cbModulo->OnChange = [this](TComponent* s) { cbModuloChange(s); };

  lbData->SetName("lbData");
  lbData->SetCaption("Data de início da contabilização:");
  edData->SetName("edData");
  lbDataContBaixa->SetName("lbDataContBaixa");
  lbDataContBaixa->SetCaption("Não contabilizar baixas de parcelamento a partir de:");
  edDataContBaixa->SetName("edDataContBaixa");
  lbDATACONTOPEIMOB->SetName("lbDATACONTOPEIMOB");
  lbDATACONTOPEIMOB->SetCaption("Não contabilizar baixas de operações imobiliárias a partir de:");
  edDATACONTOPEIMOB->SetName("edDATACONTOPEIMOB");
  lbDATACONTIMPOSTOS->SetName("lbDATACONTIMPOSTOS");
  lbDATACONTIMPOSTOS->SetCaption("Não contabilizar baixas de impostos a partir de:");
  edDATACONTIMPOSTOS->SetName("edDATACONTIMPOSTOS");
  for (TEdit_Date_Padrao_VYN* e : {edData, edDataContBaixa, edDATACONTOPEIMOB, edDATACONTIMPOSTOS}) e->AceitaVazio = true;

  Edit1->SetName("Edit1");
  Edit1->OnEnter = [this](TComponent*) { spOK->Click(); };
  Inconsistencias->SetName("Inconsistencias");
}

bool TfrProcessoDefineInicioContabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrProcessoDefineInicioContabilizacao") ||
         TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrProcessoDefineInicioContabilizacao::CreateDAO() {
  FSQL = TSQLMGR::CreateMgr(this);
  FDAO = FSQL;
  FMotor = TProcessoRecontabilizacaoMGR::CreateMgr(this);
}

void TfrProcessoDefineInicioContabilizacao::FormCreate() {
  TfrProcesso_Empresa_Padrao_VYN::FormCreate();
  cbModulo->Carrega();
  AjustaCortesVisiveis();
}

bool TfrProcessoDefineInicioContabilizacao::ModuloFiscal() const {
  return cbModulo->ItemIndex() >= 0 && cbModulo->Value() == kTipoLanFiscal;
}

void TfrProcessoDefineInicioContabilizacao::AjustaCortesVisiveis() {
  const bool fiscal = ModuloFiscal();
  lbDataContBaixa->SetVisible(fiscal);
  edDataContBaixa->SetVisible(fiscal);
  lbDATACONTOPEIMOB->SetVisible(fiscal);
  edDATACONTOPEIMOB->SetVisible(fiscal);
}

void TfrProcessoDefineInicioContabilizacao::cbModuloChange(TComponent*) {
  AjustaCortesVisiveis();
  // Hidden cut-offs must not reach the run.
  if (!ModuloFiscal()) {
    edDataContBaixa->Clear();
    edDATACONTOPEIMOB->Clear();
  }
}

void TfrProcessoDefineInicioContabilizacao::edCODEMPEnter(TComponent*) {
  for (TEdit_Date_Padrao_VYN* e : {edData, edDataContBaixa, edDATACONTOPEIMOB, edDATACONTIMPOSTOS}) e->Clear();
}

void TfrProcessoDefineInicioContabilizacao::spConsultaClick(TComponent* sender) {
  TfrProcesso_Empresa_Padrao_VYN::spConsultaClick(sender);
  TListaObj lista;
  lista.Add(edCODEMP);
  TPackagesUtil::CarregaFormParamsObj("TfrConsultaDefiniInicioContabilizacaoOnline", this, std::move(lista));
}

bool TfrProcessoDefineInicioContabilizacao::CorteAntesDoInicio(bool temCorte, TEdit_Date_Padrao_VYN& corte,
                                                                const char* mensagem) {
  if (!FTemDataInicio || !temCorte || corte.GetData().DateOnly() >= edData->GetData().DateOnly()) return false;
  MessageDlgVYN(mensagem, mtWarning, mbOK);
  if (corte.CanFocus()) corte.SetFocus();
  return true;
}

bool TfrProcessoDefineInicioContabilizacao::PodeIniciarProcesso() {
  Inconsistencias->Clear();
  // A date typed just before OK has not been checked by leaving its field: check it here.
  for (TEdit_Date_Padrao_VYN* e : {edData, edDataContBaixa, edDATACONTOPEIMOB, edDATACONTIMPOSTOS}) {
    if (e->IsEmpty() || e->IsValid()) continue;
    MessageDlgVYN("\"" + e->Text() + "\" não é uma data válida", mtWarning, mbOK);
    if (e->CanFocus()) e->SetFocus();
    return false;
  }
  FTemDataInicio = !edData->IsEmpty();
  FTemDataBaixaParcelamento = !edDataContBaixa->IsEmpty();
  FTemDataOperacaoImobiliaria = !edDATACONTOPEIMOB->IsEmpty();
  FTemDataImpostos = !edDATACONTIMPOSTOS->IsEmpty();

  if (!FTemDataInicio && !FTemDataBaixaParcelamento && !FTemDataOperacaoImobiliaria && !FTemDataImpostos) {
    MessageDlgVYN("Nenhuma data informada!", mtWarning, mbOK);
    if (edData->CanFocus()) edData->SetFocus();
    return false;
  }
  // Without a module the run has no posting kind to record or to look for.
  if (cbModulo->ItemIndex() < 0 || cbModulo->Value() <= 0) {
    MessageDlgVYN("Módulo não informado!", mtWarning, mbOK);
    if (cbModulo->CanFocus()) cbModulo->SetFocus();
    return false;
  }
  if (CorteAntesDoInicio(FTemDataBaixaParcelamento, *edDataContBaixa,
                         "Encerramento da contabilização de baixas de parcelamento não pode ser anterior ao inicio da "
                         "contabilização!"))
    return false;
  if (CorteAntesDoInicio(FTemDataOperacaoImobiliaria, *edDATACONTOPEIMOB,
                         "Encerramento da contabilização de baixas de operação imobiliária não pode ser anterior ao "
                         "inicio da contabilização!"))
    return false;
  if (CorteAntesDoInicio(FTemDataImpostos, *edDATACONTIMPOSTOS,
                         "Encerramento da contabilização de baixas de impostos não pode ser anterior ao inicio da "
                         "contabilização!"))
    return false;
  if (!TfrProcesso_Empresa_Padrao_VYN::PodeIniciarProcesso()) return false;
  bool permitido = VerificaSeguranca();
  FMotor->Responsavel = ProcessContext().WP_RESPONSAVEL;
  if (!permitido) {
    MessageDlgVYN("Processo não foi realizado!", mtWarning, mbOK);
    return false;
  }
  return true;
}

void TfrProcessoDefineInicioContabilizacao::InicioProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::InicioProcesso();
  if (FStatus) FreeComponent(FStatus);
  FStatus = TfrStatusProcesso::createStatusProcess(this, 6);
  FRecusadas = 0;
  FDefinidas = 0;
}

void TfrProcessoDefineInicioContabilizacao::SelectProcesso() {
  std::string sql = "select * from vw_empresas_ref_atual ";
  std::string condicao = edCODEMP->GetSQLMultiSelectString("BDCODEMP");
  if (!condicao.empty()) sql += " where " + condicao;
  sql += " order by bdcodemp ";
  int competencia = 0;
  for (TEdit_Date_Padrao_VYN* e : {edData, edDataContBaixa, edDATACONTOPEIMOB, edDATACONTIMPOSTOS}) {
    if (!e->IsEmpty()) {
      competencia = e->GetData_AnoMes();
      break;
    }
  }
  FSQL->SetReferencia(competencia);
  FSQL->CommandText(sql);
  FDAO = FSQL;
  // The base walks the list it finds open.
  TfrProcesso_Empresa_Padrao_VYN::SelectProcesso();
  FSQL->Last();
  FSQL->First();
  FStatus->setPrimaryMaxProgress(2 * FSQL->RecordCount() + 1);
}

bool TfrProcessoDefineInicioContabilizacao::RecusaEmpresa(const std::string& erro) {
  Inconsistencias->Add_Erro(erro);
  Inconsistencias->Execute(true, true, true, true);
  return false;
}

bool TfrProcessoDefineInicioContabilizacao::CortesBloqueados(int codEmp) {
  struct Corte {
    bool tem;
    TEdit_Date_Padrao_VYN* edit;
    const char* tela;
    const char* erro;
  };
  const Corte cortes[] = {
      {FTemDataBaixaParcelamento, edDataContBaixa, "frFiltroBaixaParcelamento",
       "Processo não foi realizado, verifique os bloqueios de lançamentos e encerramentos de exercício posteriores "
       "a "},
      {FTemDataOperacaoImobiliaria, edDATACONTOPEIMOB, "frLancOperImobiliariasPGTOF200",
       "Processo não foi realizado, verifique os bloqueios de lançamentos de pagamentos das operações imobiliárias e "
       "encerramentos de exercício posteriores a "},
      {FTemDataImpostos, edDATACONTIMPOSTOS, "frFiltroImpostosEmitidos",
       "Processo não foi realizado, verifique os bloqueios de lançamentos para baixa de impostos e encerramentos de "
       "exercício posteriores a "},
  };
  for (const Corte& c : cortes) {
    if (!c.tem) continue;
    TDateTime data = c.edit->GetData();
    if (BloqueioLancamento_Padrao_VYN->Execute(codEmp, data, FimEmAberto(), c.tela, ProcessContext().UserCode,
                                               kSistemaBaixas)) {
      RecusaEmpresa(c.erro + DateToStr(data));
      return true;
    }
  }
  return false;
}

bool TfrProcessoDefineInicioContabilizacao::LancamentosAnteriores(int codEmp) {
  TDateTime inicio = edData->GetData().DateOnly();
  auto sql = getSQLMgr_do_Pool();
  sql->CommandText(std::string("select FIRST 1 BDDATA from VZEL_EMPRESAS_TLAN s ") +
                       " where s.BDCODEMP = ? AND s.bddata < ? and s.bdtipolan = ? order by BDCODEMP, BDDATA",
                   ctOpen, {codEmp, inicio, static_cast<long long>(cbModulo->Value())});
  sql->First();
  if (sql->Eof()) return true;
  TDateTime primeiro = sql->FieldByName("BDDATA").AsDateTime();
  sql.Release();
  if (BloqueioLancamento_Padrao_VYN->Execute(codEmp, primeiro, inicio, ExecucaoDe(this, {"frLancamento"}).TelasSQL(),
                                             ProcessContext().UserCode,
                                             kSistemaLancamentos))
    return RecusaEmpresa(kMsgBloqueioLancamentos + DateToStr(primeiro) + " e " + DateToStr(inicio));
  if (DlgConfSimNao("Existem lançamentos contábeis do módulo anteriores a data informada. Deseja excluir e "
                    "continuar?",
                    FLogEvent) == mrYes)
    return true;
  ++FRecusadas;
  Inconsistencias->Add_Informacao(codEmp, "Nada foi alterado: a exclusão dos lançamentos anteriores a " +
                                              DateToStr(inicio) + " não foi confirmada.");
  return false;
}

bool TfrProcessoDefineInicioContabilizacao::InicioGravadoBloqueado(int codEmp) {
  TDateTime inicio = edData->GetData().DateOnly();
  auto sql = getSQLMgr_do_Pool();
  sql->CommandText(std::string("select FIRST 1 BDDATA from TINICIO_CONTABILIZACAO s ") +
                       " where s.BDCODEMP = ? and s.BDCODSIS = ?",
                   ctOpen, {codEmp, cbModulo->Campo("BDCODSIS")});
  sql->First();
  if (sql->Eof() || sql->FieldByName("BDDATA").IsNull()) return false;
  TDateTime gravado = sql->FieldByName("BDDATA").AsDateTime().DateOnly();
  sql.Release();
  if (inicio >= gravado) return false;
  // Only the period the new start adds can hold locked postings.
  TDateTime vespera = IncDay(gravado, -1);
  if (!BloqueioLancamento_Padrao_VYN->Execute(codEmp, inicio, vespera, ExecucaoDe(this, {"frLancamento"}).TelasSQL(),
                                              ProcessContext().UserCode,
                                              kSistemaLancamentos))
    return false;
  RecusaEmpresa(kMsgBloqueioLancamentos + DateToStr(inicio) + " e " + DateToStr(vespera));
  return true;
}

bool TfrProcessoDefineInicioContabilizacao::OnBeforeProcesso() {
  const int codEmp = static_cast<int>(FSQL->FieldByName("BDCODEMP").AsInteger());
  const std::string titulo =
      "Empresa: " + FSQL->FieldByName("BDCODEMP").AsString() + " - " + FSQL->FieldByName("BDNOMEMP").AsString();
  FStatus->setPrimaryStatusLabel(titulo);
  Inconsistencias->SetEmpresaAtual(codEmp);
  FStatus->setPrimaryStatusProgress(2 * (FSQL->RecNo() - 1) + 1);

  if (CortesBloqueados(codEmp)) return false;
  if (!FTemDataInicio) return true;
  if (!LancamentosAnteriores(codEmp)) return false;
  return !InicioGravadoBloqueado(codEmp);
}

void TfrProcessoDefineInicioContabilizacao::Processo() {
  const int codEmp = static_cast<int>(FSQL->FieldByName("BDCODEMP").AsInteger());
  FMotor->FStatus = FStatus;
  if (FMotor->ProcessoInicioContabilizacao(this, FLogEvent, codEmp, static_cast<int>(cbModulo->Value()),
                                           edData->GetData(), edDataContBaixa->GetData(),
                                           edDATACONTOPEIMOB->GetData(), edDATACONTIMPOSTOS->GetData(),
                                           Inconsistencias)) {
    Inconsistencias->Add_Informacao(codEmp, "Processo realizado com sucesso.");
    ++FDefinidas;
  }
  FStatus->setPrimaryStatusProgress(2 * FSQL->RecNo());
}

void TfrProcessoDefineInicioContabilizacao::FimProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::FimProcesso();
  if (FStatus) FStatus->Finalize();
  // A run the user declined everywhere did nothing, and says so rather than "sucesso".
  if (Inconsistencias->CountErros() == 0 && Inconsistencias->CountAtencao() == 0 && FRecusadas > 0 &&
      FDefinidas == 0)
    DlgInfOk("Nada foi alterado: a exclusão dos lançamentos anteriores à data informada não foi confirmada.");
  else if (Inconsistencias->CountErros() == 0 && Inconsistencias->CountAtencao() == 0)
    DlgInfOk("Processo realizado com sucesso!");
  else
    Inconsistencias->Execute(true, true, true, true);
}

}  // namespace integracao
