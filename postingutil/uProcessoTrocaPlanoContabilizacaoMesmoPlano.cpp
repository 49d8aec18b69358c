#include "postingutil/uProcessoTrocaPlanoContabilizacaoMesmoPlano.h"

#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/troca_plano_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/status_processo.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr const char* kMsgPlanoDiferente =
    "O novo plano de contabilização informado deve possuir o mesmo plano de contas e o mesmo plano de histórico do "
    "plano de contabilização original para efetuar a troca.";
constexpr const char* kMsgSomenteEquipe = "Apenas usuário que integra equipe de serviços pode realizar esse processo.";

TEdit_Codigo_Search_VYN* NovoEdit(TComponent& dono, const char* nome, int tipo, bool habilitado) {
  auto* e = dono.Create<TEdit_Codigo_Search_VYN>(tipo);
  e->SetName(nome);
  e->SetEnabled(habilitado);
  return e;
}

}  // namespace

TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::TfrProcessoTrocaPlanoContabilizacaoMesmoPlano(TComponent* owner)
    : TfrProcessoComMotor(owner),
      edCODEMP(Create<TEdit_Codigo_Search_VYN>(tcEmpresasMatriz)),
      pnNOMEMP(Create<TPanel>()),
      edDataInicial(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      gbDe(Create<TGroupBox>()),
      edCODPLAPADRAODe(NovoEdit(*this, "edCODPLAPADRAODe", tcPlanoContas, false)),
      edCODHISTDe(NovoEdit(*this, "edCODHISTDe", tcPlanoHistorico, false)),
      edCodConfOnlineDe(NovoEdit(*this, "edCodConfOnlineDe", tcConfOnline, false)),
      gbPara(Create<TGroupBox>()),
      edCODPLAPADRAO(NovoEdit(*this, "edCODPLAPADRAO", tcPlanoContas, false)),
      edCODHIST(NovoEdit(*this, "edCODHIST", tcPlanoHistorico, false)),
      edCODPLANOONLINE(NovoEdit(*this, "edCODPLANOONLINE", tcConfOnline, true)),
      edCODINT(NovoEdit(*this, "edCODINT", tcPlanoTrocaContabilizacao, true)),
      Inconsistencias(Create<TInconsistencias_VYN>()),
      BalloonHintData(Create<TLabel>()) {
  SetName("frProcessoTrocaPlanoContabilizacaoMesmoPlano");
  SetCaption("Processo de troca de plano de contabilização");
  PreparaEditMatriz(*edCODEMP, *pnNOMEMP);
  edCODEMP->CampoRetorno = "BDCODEMP";
  edCODEMP->OnExit = [this](TComponent* s) { edCODEMPExit(s); };
  edDataInicial->SetName("edDataInicial");
  edDataInicial->OnExit = [this](TComponent* s) { edDataInicialExit(s); };
  gbDe->SetName("gbDe");
  gbDe->SetCaption(" De ");
  gbPara->SetName("gbPara");
  gbPara->SetCaption(" Para ");
  for (auto* e : {edCodConfOnlineDe, edCODPLANOONLINE}) e->CampoRetorno = "BDCODPLANOONLINE";
  edCODPLANOONLINE->AceitaZero = true;
  edCodConfOnlineDe->AfterSearch = [this](TComponent*, bool&) {
    CarregaPlanoConfOnline(*edCodConfOnlineDe, *edCODPLAPADRAODe, *edCODHISTDe);
  };
  edCODPLANOONLINE->AfterSearch = [this](TComponent*, bool&) {
    CarregaPlanoConfOnline(*edCODPLANOONLINE, *edCODPLAPADRAO, *edCODHIST);
  };
  edCODINT->SetVisible(false);
  Inconsistencias->SetName("Inconsistencias");
  BalloonHintData->SetName("BalloonHintData");
  BalloonHintData->SetVisible(false);
}

bool TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrProcessoTrocaPlanoContabilizacaoMesmoPlano") ||
         TfrProcessoComMotor::InheritsFrom(class_name);
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::FormCreate() {
  TfrProcessoComMotor::FormCreate();
  FTiposProcRecontabiliza = TodosTiposProc();
}

int TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::PlanoVigente() {
  int64_t codEmp = edCODEMP->Codigo();
  // Without a company there is nothing to look up, and the typed period stays as it is.
  if (codEmp == 0) return 0;
  auto empresas = TEmpresasMGR::CreateMgrOwned();
  auto consulta = [&] {
    empresas->CommandText("select first 1 BDCODPLANOONLINE from TEMPRESAS_REF where bdCODEMP = ?"
                          " and (bdREFEMP <= ?) order by bdrefemp desc ",
                          ctOpen, {codEmp, edDataInicial->GetData_AnoMes()});
    return !empresas->IsEmpty();
  };
  if (!consulta()) {
    edDataInicial->SetData_AnoMes(ProcessContext().Referencia);
    if (!consulta()) return 0;
  }
  TField& f = empresas->FieldByName("BDCODPLANOONLINE");
  return f.IsNull() ? 0 : static_cast<int>(f.AsInteger());
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::edCODEMPExit(TComponent*) {
  edCodConfOnlineDe->Vale(PlanoVigente());
  // A plan not looked up (none, or not found) still empties its chart and history plan.
  if (!edCodConfOnlineDe->Validate() || !edCodConfOnlineDe->GetDaoFactory())
    CarregaPlanoConfOnline(*edCodConfOnlineDe, *edCODPLAPADRAODe, *edCODHISTDe);
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::edDataInicialExit(TComponent* sender) {
  BalloonHintData->SetVisible(false);
  edCODEMPExit(sender);
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::KeyDown(int& key, unsigned shift) {
  TfrProcessoComMotor::KeyDown(key, shift);
  if (key == 27 || key == 38) BalloonHintData->SetVisible(false);
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::FormHide() {
  TfrProcessoComMotor::FormHide();
  BalloonHintData->SetVisible(false);
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::FormDeactivate() {
  TfrProcessoComMotor::FormDeactivate();
  BalloonHintData->SetVisible(false);
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::spConsultaClick(TComponent* sender) {
  TfrProcessoComMotor::spConsultaClick(sender);
  TPackagesUtil::CarregaFormParamsObj("TfrConsultaProcessosTrocas", this, TListaObj(), nullptr);
}

std::string TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::GetSelectDataInicioProcesso() const {
  return FMotor->GetSelectDataInicioProcesso(edCODEMP->GetSQLMultiSelectString("BDCODEMP"), "",
                                             edCODEMP->ValorInformado(), false);
}

bool TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::UltimoEncerramentoPermite() {
  int refInicial = edDataInicial->GetData_AnoMes();
  // Without a start period the run begins at the company's first month; the rows are checked then.
  if (!edCODEMP->ValorInformado() || refInicial == 0) return true;
  return EncerramentoPermiteInicio(GetSelectDataInicioProcesso(), refInicial);
}

std::string TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::DescRegime(int64_t plano) const {
  Variant regime = FMotor->Database().QueryValue(
      "select BDREGCONTRETPCC from tplano_conf_online where bdcodplanoonline = ?", {plano});
  return TPreencheCombosVYN::GetDescRegimeEmpresa(regime.IsNull() ? 0 : static_cast<int>(regime.AsInteger()));
}

bool TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::PodeIniciarProcesso() {
  const auto& ctx = ProcessContext();
  bool planoOk = edCODPLANOONLINE->Validate();
  if (edCODEMP->ValorInformado() && !AceitaCodigo(*edCODEMP, edCODEMP->Validate())) return false;
  if (edCODEMP->Codigo() == 0) {
    DlgInfOk(kMsgEmpresaNaoInformada);
    edCODEMP->SetFocus();
    return false;
  }
  // The chart checks below compare the plan as it is now, never one typed before.
  CarregaPlanoConfOnline(*edCODPLANOONLINE, *edCODPLAPADRAO, *edCODHIST);
  if (!AceitaNovoPlano(*edCODPLANOONLINE, planoOk)) return false;
  Variant statusEmp = FMotor->Database().QueryValue("select BDSTATUSEMP from TEMPRESAS where BDCODEMP = ?",
                                                    {edCODEMP->Codigo()});
  if (!statusEmp.IsNull() && statusEmp.AsInteger() == 1) {
    DlgInfOk(kMsgEmpresaSomenteConsulta);
    edCODEMP->SetFocus();
    return false;
  }
  if (!ctx.WP_USUARIO_INTEGRA_EQUIPE && !ctx.WP_GRUPOMASTER) {
    DlgInfOk(kMsgSomenteEquipe);
    Close();
    return false;
  }
  if (!UltimoEncerramentoPermite()) return false;
  if (edCODPLAPADRAODe->ValorInteger() != edCODPLAPADRAO->ValorInteger() ||
      edCODHISTDe->ValorInteger() != edCODHIST->ValorInteger()) {
    DlgInfOk(kMsgPlanoDiferente);
    edCODPLANOONLINE->SetFocus();
    return false;
  }
  if (edCodConfOnlineDe->Codigo() == edCODPLANOONLINE->Codigo()) {
    DlgInfOk(ctx.UserName + kMsgRecontabilizacao);
    return false;
  }
  if (!TfrProcessoComMotor::PodeIniciarProcesso()) return false;
  if (!VerificaSeguranca()) return false;
  FMotor->Responsavel = ProcessContext().WP_RESPONSAVEL;

  FLogEvent->InicializaVariaveis(true);
  FLogEvent->SetTipoAcao(logProcesso);
  FLogEvent->SetDadosPrincipais("BDCODEMP", edCODEMP->getCodigoStr());
  FLogEvent->SetDadosPrincipais("BDCODPLANOONLINEDE", edCodConfOnlineDe->getCodigoStr());
  FLogEvent->SetDadosPrincipais("BDCODPLANOONLINEPARE", edCODPLANOONLINE->getCodigoStr());
  FLogEvent->AddAcao("Alteração do plano de contabilização " + edCodConfOnlineDe->getCodigoStr() + " (" +
                     DescRegime(edCodConfOnlineDe->Codigo()) + ")" + " para o plano " +
                     edCODPLANOONLINE->getCodigoStr() + " (" + DescRegime(edCODPLANOONLINE->Codigo()) + ").");
  FLogEvent->Logger();
  return true;
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::InicioProcesso() {
  TfrProcessoComMotor::InicioProcesso();
  if (edCodConfOnlineDe->Codigo() != edCODPLANOONLINE->Codigo()) {
    auto mgr = TVINT_BASE_TINTONLINEMGR::CreateMgrOwned(true);
    mgr->GetCodigoTrocaAutomatica(this, FLogEvent,
                                  {edCODINT, edCodConfOnlineDe, edCODPLAPADRAODe, edCODHISTDe, edCODPLANOONLINE,
                                   edCODPLAPADRAO, edCODHIST});
    // A mapping plan the manager made is told in the log of this run.
    FLogEvent->GravarLog(false);
  } else {
    edCODINT->Clear();
  }
  IniciaMotor(*Inconsistencias);
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::SelectProcesso() {
  if (edDataInicial->IsEmpty()) {
    // Without a start period, the company's first month.
    if (int primeiro = PrimeiroMesAtividade(edCODEMP->GetSQLMultiSelectString("r.BDCODEMP")))
      edDataInicial->SetData_AnoMes(primeiro);
  }
  int refInicial = edDataInicial->GetData_AnoMes();
  FMotor->SetCompentencia(refInicial);
  FMotor->CommandText(GetSelectDataInicioProcesso());
  TFiltroEmpresas filtro;
  filtro.RefInicial = refInicial;
  filtro.NovoInicio = refInicial > 0 ? FirstDayOfAnoMes(refInicial) : TDateTime();
  FiltraEmpresasProcesso(*FMotor, filtro, FStatus, FEmpresasRecusadas);
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::Processo() {
  int codEmp = EmpresaDaLinha(*Inconsistencias);
  FMotor->PossuiZeramento = FMotor->getPossuiZeramento(static_cast<int>(edCODEMP->Codigo()));
  FMotor->OnCancelaProcesso = [this] { return fCancelaProcesso(); };
  FMotor->ExecutaRecontabiliza(static_cast<int>(edCodConfOnlineDe->ValorInteger()),
                               static_cast<int>(edCODPLANOONLINE->ValorInteger()),
                               static_cast<int>(edCODINT->Codigo()), codEmp,
                               FMotor->FieldByName("bdultenc").AsDateTime(),
                               FMotor->FieldByName("bdDATAFIM").AsDateTime(), Inconsistencias, true,
                               FTiposProcRecontabiliza, 0, 0, false);
}

void TfrProcessoTrocaPlanoContabilizacaoMesmoPlano::FimProcesso() {
  TfrProcessoComMotor::FimProcesso();
  EncerraMotor(*Inconsistencias, !edDataInicial->IsEmpty());
}

}  // namespace integracao
