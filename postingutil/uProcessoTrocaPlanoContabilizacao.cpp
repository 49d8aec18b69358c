#include "postingutil/uProcessoTrocaPlanoContabilizacao.h"

#include "integrations/omie/uExportacaoPlanoContasOmie.h"

#include <memory>

#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/exportacao_omie_db_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
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

constexpr int kPlanoLalur = 55;

constexpr const char* kMsgMesmoPlano =
    ", o processo de troca de planos de contabilização que utilizam o mesmo plano de contas deve ser efetuado pelo "
    "menu utilitários / troca o plano de contabilização.";
constexpr const char* kMsgParticipante =
    "O participante genérico deve ser informado para planos de contas que possuam contas participante!";
constexpr const char* kMsgCadastroEmpresa =
    ", para que a troca seja realizada é necessário que o cadastro da empresa seja salvo com a data do Período "
    "inicial do processo, para isso deve alterar a data do sistema e então salvar o cadastro da empresa em "
    "Cadastros / Empresas.";
// Line breaks of these questions are a lone CR.
constexpr const char* kMsgBackup =
    "Você está alterando para um plano de contabilização que possui plano de contas diferente do atual.\r"
    "Os lançamentos desta empresa serão transferidos para uma empresa backup, que conterá todos os dados identicos "
    "à original. \r"
    "Com isso, as alterações/inserções deste período serão permitidas apenas na empresa backup e a empresa "
    "original permitirá\r"
    "apenas alterações/inserções posteriores a este período.\r"
    "\r"
    "Deseja continuar com a troca do plano?";
constexpr const char* kMsgRetencoesCaixa =
    "Você está alterando o plano de contabilização para um plano com contabilização das retenções por regime de "
    "caixa, \r"
    "é importante para continuar o processo que a empresa esteja trabalhando com regime de caixa nas retenções, \r"
    "caso ela possua lançamentos à prazo cujas retenções não deduziram do valor da parcela essas retenções não "
    "serão contabilizadas! \r"
    "^Deseja continuar com a troca do plano?";
constexpr const char* kMsgFinal =
    ", durante o processo não será possível utilizar a empresa em nenhuma rotina, deseja prosseguir?";
constexpr const char* kMsgSaldosAbertura =
    "Para finalizar o processo deverá ser feito o encerramento dos saldos de abertura.";

int CampoInt(const TCodigoRegistro* reg, std::string_view campo) {
  if (!reg) return 0;
  Variant v = reg->Campo(campo);
  return v.IsNull() ? 0 : static_cast<int>(v.AsInteger());
}

}  // namespace

TfrProcessoTrocaPlanoContabilizacao::TfrProcessoTrocaPlanoContabilizacao(TComponent* owner)
    : TfrProcessoComMotor(owner),
      edCODEMP(Create<TEdit_Codigo_Search_VYN>(tcEmpresasMatriz)),
      pnNOMEMP(Create<TPanel>()),
      edCodPlanoTroca(Create<TEdit_Codigo_Search_VYN>(tcPlanoTrocaContabilizacao)),
      pnCODPLANOONLINEANT(Create<TPanel>()),
      edDataInicial(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      edCODCONTABLALUR(Create<TEdit_Codigo_Search_VYN>(tcPreparacaoContabiliadeLalur)),
      lbCODCONTABLALUR(Create<TLabel>()),
      spCODCONTABLALUR(Create<TSpeedButton>()),
      edCODPLAPADRAODe(Create<TEdit_Codigo_Search_VYN>(tcPlanoContas)),
      edCODHISTDe(Create<TEdit_Codigo_Search_VYN>(tcPlanoHistorico)),
      edCodConfOnlineDe(Create<TEdit_Codigo_Search_VYN>(tcConfOnline)),
      edCODPLANOONLINE(Create<TEdit_Codigo_Search_VYN>(tcConfOnline)),
      edCODPLAPADRAO(Create<TEdit_Codigo_Search_VYN>(tcPlanoContas)),
      edCODHIST(Create<TEdit_Codigo_Search_VYN>(tcPlanoHistorico)),
      edCODTERCEIRO(Create<TEdit_Codigo_Search_VYN>(tcParticipante)),
      lbCODTERCEIRO(Create<TLabel>()),
      iiParticipanteGenerico(Create<TLabel>()),
      spConfigPlanoTroca(Create<TSpeedButton>()),
      Inconsistencias(Create<TInconsistencias_VYN>()),
      gbDe(Create<TGroupBox>()),
      gbPara(Create<TGroupBox>()),
      BalloonHintData(Create<TLabel>()) {
  SetName("frProcessoTrocaPlanoContabilizacao");
  lbCODEMP = CriaRotulo(*this, "lbCODEMP", "Empresa:");
  lbCodPlanoTroca = CriaRotulo(*this, "lbCodPlanoTroca", "Plano de troca:");
  lbDataInicial = CriaRotulo(*this, "lbDataInicial", "Período inicial:");
  lbCODPLAPADRAODe = CriaRotulo(*this, "lbCODPLAPADRAODe", "Plano de contas:");
  lbCODHISTDe = CriaRotulo(*this, "lbCODHISTDe", "Plano de históricos:");
  lbCodConfOnlineDe = CriaRotulo(*this, "lbCodConfOnlineDe", "Plano de contabilização:");
  lbCODPLANOONLINE = CriaRotulo(*this, "lbCODPLANOONLINE", "Plano de contabilização:");
  lbCODPLAPADRAO = CriaRotulo(*this, "lbCODPLAPADRAO", "Plano de contas:");
  lbCODHIST = CriaRotulo(*this, "lbCODHIST", "Plano de históricos:");
  gbDe->SetName("gbDe");
  gbDe->SetCaption(" De ");
  gbPara->SetName("gbPara");
  gbPara->SetCaption(" Para ");
  BalloonHintData->SetName("BalloonHintData");
  BalloonHintData->SetVisible(false);
  SetCaption("Processo de troca de contabilização");
  PreparaEditMatriz(*edCODEMP, *pnNOMEMP);
  edCODEMP->OnChange = [this](TComponent*) { AtualizaCamposDependentes(); };
  edCODEMP->OnExit = [this](TComponent*) { edCODEMPExit(); };

  edCodPlanoTroca->SetName("edCodPlanoTroca");
  edCodPlanoTroca->SetMaxLength(6);
  edCodPlanoTroca->CampoRetorno = "bdcodint";
  edCodPlanoTroca->PanelNome = pnCODPLANOONLINEANT;
  pnCODPLANOONLINEANT->SetName("pnCODPLANOONLINEANT");

  edDataInicial->SetName("edDataInicial");
  edDataInicial->SetEnabled(false);   // filled by the program only
  edDataInicial->OnEnter = [this](TComponent*) { PreenchePeriodoInicial(); };
  edDataInicial->OnExit = [this](TComponent*) { BalloonHintData->SetVisible(false); };

  edCODCONTABLALUR->SetName("edCODCONTABLALUR");
  edCODCONTABLALUR->SetMaxLength(6);
  edCODCONTABLALUR->CampoRetorno = "BDCODCONTABLALUR";
  lbCODCONTABLALUR->SetName("lbCODCONTABLALUR");
  lbCODCONTABLALUR->SetCaption("Plano de integração lalur:");
  spCODCONTABLALUR->SetName("spCODCONTABLALUR");

  for (auto* ed : {edCodConfOnlineDe, edCODPLANOONLINE}) {
    ed->SetMaxLength(4);
    ed->AceitaZero = true;
    ed->AceitaVazio = true;
    ed->CampoRetorno = "BDCODPLANOONLINE";
  }
  edCodConfOnlineDe->SetName("edCodConfOnlineDe");
  edCODPLANOONLINE->SetName("edCODPLANOONLINE");
  edCodConfOnlineDe->AfterSearch = [this](TComponent*, bool&) {
    CarregaConfig(*edCodConfOnlineDe, *edCODPLAPADRAODe, *edCODHISTDe);
  };
  edCodConfOnlineDe->OnExit = [this](TComponent*) { AtualizaCamposDependentes(); };
  edCODPLANOONLINE->OnExit = [this](TComponent*) { edCODPLANOONLINEExit(); };

  edCODPLAPADRAODe->SetName("edCODPLAPADRAODe");
  edCODHISTDe->SetName("edCODHISTDe");
  edCODPLAPADRAO->SetName("edCODPLAPADRAO");
  edCODHIST->SetName("edCODHIST");
  for (auto* ed : {edCODPLAPADRAODe, edCODHISTDe, edCodConfOnlineDe, edCODPLAPADRAO, edCODHIST}) {
    if (ed != edCodConfOnlineDe) ed->SetMaxLength(6);
    ed->SetEnabled(false);
  }

  edCODTERCEIRO->SetName("edCODTERCEIRO");
  edCODTERCEIRO->SetMaxLength(9);
  edCODTERCEIRO->AceitaZero = true;
  edCODTERCEIRO->CampoRetorno = "BDCODTER";
  edCODTERCEIRO->OnExit = [this](TComponent*) { edCODTERCEIROExit(); };
  lbCODTERCEIRO->SetName("lbCODTERCEIRO");
  lbCODTERCEIRO->SetCaption("Participante genérico:");
  iiParticipanteGenerico->SetName("iiParticipanteGenerico");
  iiParticipanteGenerico->SetHint(
      "O participante informado será utilizado para quando realizado o de/para de uma conta não participante para "
      "uma conta participante. Importante ressaltar que ele será utilizado apenas para os lançamentos manuais, nos "
      "casos de lançamento on-line o participante no lançamento contábil será o informado no lançamento de origem.");
  for (TControl* c : std::initializer_list<TControl*>{edCODCONTABLALUR, lbCODCONTABLALUR, spCODCONTABLALUR,
                                                      edCODTERCEIRO, lbCODTERCEIRO})
    c->SetEnabled(false);

  spConfigPlanoTroca->SetName("spConfigPlanoTroca");
  spConfigPlanoTroca->SetHint("Configuração do plano de troca");
  spConfigPlanoTroca->OnClick = [this](TComponent* s) { spConfigPlanoTrocaClick(s); };
  Inconsistencias->SetName("Inconsistencias");
}

bool TfrProcessoTrocaPlanoContabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrProcessoTrocaPlanoContabilizacao") ||
         TfrProcessoComMotor::InheritsFrom(class_name);
}

void TfrProcessoTrocaPlanoContabilizacao::FormCreate() {
  TfrProcessoComMotor::FormCreate();
  FTiposProcRecontabiliza = TodosTiposProc();
}

void TfrProcessoTrocaPlanoContabilizacao::KeyDown(int& key, unsigned shift) {
  TfrProcessoComMotor::KeyDown(key, shift);
  if (key == 27 || key == 38) BalloonHintData->SetVisible(false);   // Esc, Up arrow
}

void TfrProcessoTrocaPlanoContabilizacao::FormHide() {
  TfrProcessoComMotor::FormHide();
  BalloonHintData->SetVisible(false);
}

void TfrProcessoTrocaPlanoContabilizacao::FormDeactivate() {
  TfrProcessoComMotor::FormDeactivate();
  BalloonHintData->SetVisible(false);
}

void TfrProcessoTrocaPlanoContabilizacao::spOKClick(TComponent* sender) {
  FExecutaProcesso = true;
  TfrProcessoComMotor::spOKClick(sender);
}

void TfrProcessoTrocaPlanoContabilizacao::RodaProcesso() {
  // A verification never posts, also after a real run of this screen.
  FExecutaProcesso = false;
  InicioProcesso();
  SelectProcesso();
  ChamaProcesso();
  FimProcesso();
  PosicionaFocus();
}

void TfrProcessoTrocaPlanoContabilizacao::spConsultaClick(TComponent* sender) {
  TfrProcessoComMotor::spConsultaClick(sender);
  TPackagesUtil::CarregaFormParamsObj("TfrConsultaProcessosTrocas", this, TListaObj{});
}

void TfrProcessoTrocaPlanoContabilizacao::spConfigPlanoTrocaClick(TComponent*) {
  TPackagesUtil::CarregaForm(this, "TfrCadPlanosTrocaContabilizacao");
}

int64_t TfrProcessoTrocaPlanoContabilizacao::CodPlanoLalurEmpresa() const {
  int64_t cod = edCODEMP->GetCodPlanoEmpresa(kPlanoLalur);
  TDatabase* db = ProcessContext().Database;
  if (cod != 0 || edCODEMP->Codigo() == 0 || !db) return cod;
  Variant v = db->QueryValue(
      "SELECT FIRST 1 BDCODCONTABLALUR FROM TPLANO_CONTAB_LALUR WHERE BDCODEMP = ? ORDER BY BDCODCONTABLALUR",
      {edCODEMP->Codigo()});
  return v.IsNull() ? 0 : v.AsInteger();
}

void TfrProcessoTrocaPlanoContabilizacao::AtualizaCamposDependentes() {
  bool lalur = CodPlanoLalurEmpresa() > 0;
  edCODCONTABLALUR->SetEnabled(lalur);
  lbCODCONTABLALUR->SetEnabled(lalur);
  spCODCONTABLALUR->SetEnabled(lalur);
  if (!lalur) {
    edCODCONTABLALUR->Clear();
    edCODCONTABLALUR->Validate();
  }
  bool participante = false;
  if (edCODPLAPADRAO->Codigo() != 0 && ProcessContext().Database) {
    auto contas = TContasPlanosMGR::CreateMgrOwned();
    participante = contas->PlanoTemContaParticipante(static_cast<int>(edCODPLAPADRAO->Codigo()));
  }
  edCODTERCEIRO->SetEnabled(participante);
  lbCODTERCEIRO->SetEnabled(participante);
  if (!participante) edCODTERCEIRO->Clear();
}

void TfrProcessoTrocaPlanoContabilizacao::CarregaConfig(TEdit_Codigo_Search_VYN& plano, TEdit_Codigo_Search_VYN& contas,
                                                        TEdit_Codigo_Search_VYN& historicos) {
  CarregaPlanoConfOnline(plano, contas, historicos);
  PreenchePeriodoInicial();
}

int TfrProcessoTrocaPlanoContabilizacao::PlanoVigente() {
  auto consulta = [&]() -> int {
    auto empresas = TEmpresasMGR::CreateMgrOwned();
    empresas->CommandText("SELECT FIRST 1 BDCODPLANOONLINE from TEMPRESAS_REF WHERE BDCODEMP = ? AND (BDREFEMP <= ?)"
                          " ORDER BY BDREFEMP DESC ",
                          ctOpen, {edCODEMP->Codigo(), edDataInicial->GetData_AnoMes()});
    empresas->First();
    if (empresas->Eof()) return -1;
    TField& f = empresas->FieldByName("BDCODPLANOONLINE");
    return f.IsNull() ? 0 : static_cast<int>(f.AsInteger());
  };
  int plano = consulta();
  if (plano >= 0) return plano;
  edDataInicial->SetData_AnoMes(ProcessContext().Referencia);
  plano = consulta();
  return plano >= 0 ? plano : 0;
}

void TfrProcessoTrocaPlanoContabilizacao::PreenchePeriodoInicial() {
  // Without a company the query lists every head office: no start of its own to take.
  if (!edCODEMP->ValorInformado() || !ProcessContext().Database) return;
  TSQLMGR sql;
  sql.SetReferencia(edDataInicial->GetData_AnoMes());
  sql.CommandText(FMotor->GetSelectDataInicioProcesso(edCODEMP->GetSQLMultiSelectString("BDCODEMP"),
                                                      edCodConfOnlineDe->Text(), edCODEMP->ValorInformado(), true));
  sql.First();
  if (sql.Eof()) return;
  // A closed month keeps its plan: the change takes effect in the month after the last closing of the
  // head office or any branch (the period the change will use, shown before it runs). A company that
  // never closed changes its whole period, as the warning told the user.
  const Variant encerramento = UltimoEncerramentoGrupo(sql.Database(), edCODEMP->Codigo());
  if (!encerramento.IsNull())
    edDataInicial->SetData_AnoMes(IncAnoMes(TDateTime_VYN::GetAnoMes(encerramento.AsDateTime()), 1));
  else if (int inicio = FMotor->GetInicioTodoPeriodo(edCODEMP->Codigo()); inicio > 0)
    edDataInicial->SetData_AnoMes(inicio);
}

void TfrProcessoTrocaPlanoContabilizacao::edCODEMPExit() {
  edCodConfOnlineDe->Vale(PlanoVigente());
  edCodConfOnlineDe->Validate();
  // A plan the edit did not look up (none, or not found) still resets its chart and history plan.
  if (!edCodConfOnlineDe->GetDaoFactory() || edCodConfOnlineDe->Codigo() == 0)
    CarregaConfig(*edCodConfOnlineDe, *edCODPLAPADRAODe, *edCODHISTDe);
  PreenchePeriodoInicial();
  AtualizaCamposDependentes();
}

void TfrProcessoTrocaPlanoContabilizacao::edCODPLANOONLINEExit() {
  // Moving the focus from here leaves this edit once more.
  if (FSaindoPlano) return;
  FSaindoPlano = true;
  struct TFim {
    bool& f;
    ~TFim() { f = false; }
  } fim{FSaindoPlano};
  CarregaConfig(*edCODPLANOONLINE, *edCODPLAPADRAO, *edCODHIST);
  AtualizaCamposDependentes();
  if (edCODTERCEIRO->CanFocus())
    edCODTERCEIRO->SetFocus();
  else
    edCodPlanoTroca->SetFocus();
  const std::string& usuario = ProcessContext().UserName;
  if (edCODPLANOONLINE->Codigo() == edCodConfOnlineDe->Codigo())
    DlgInfOk(usuario + kMsgRecontabilizacao);
  else if (edCODPLAPADRAODe->Codigo() == edCODPLAPADRAO->Codigo() && edCODHISTDe->Codigo() == edCODHIST->Codigo())
    DlgInfOk(usuario + kMsgMesmoPlano);
}

void TfrProcessoTrocaPlanoContabilizacao::edCODTERCEIROExit() {
  if (edCODTERCEIRO->Enabled() && edCODTERCEIRO->Codigo() == 0) {
    DlgInfOk(kMsgParticipante);
    edCODTERCEIRO->SetFocus();
  }
}

bool TfrProcessoTrocaPlanoContabilizacao::Confirma(const std::string& texto) {
  return DlgConfSimNao(texto, FLogEvent) == mrYes;
}

bool TfrProcessoTrocaPlanoContabilizacao::PodeIniciarProcesso() {
  FLogEvent->InicializaVariaveis(true);
  if (CadeiaInicio()) return true;
  // The answers already given are kept, the plan change is not.
  FLogEvent->GravarLog(false);
  return false;
}

// Steps 1 to 4: the look-ups, the company, the new plan and the participant.
bool TfrProcessoTrocaPlanoContabilizacao::ConfereEmpresa() {
  // 1. look-ups
  bool planoOk = edCODPLANOONLINE->Validate();
  if (edCODEMP->ValorInformado() && !AceitaCodigo(*edCODEMP, edCODEMP->Validate())) return false;
  // 2. company
  if (edCODEMP->Codigo() == 0) {
    DlgInfOk(kMsgEmpresaNaoInformada);
    edCODEMP->SetFocus();
    return false;
  }
  // The chart checks below compare the plans as they are now, never a chart loaded for a plan typed
  // before (the new plan's edit may not have been left since).
  CarregaPlanoConfOnline(*edCodConfOnlineDe, *edCODPLAPADRAODe, *edCODHISTDe);
  CarregaPlanoConfOnline(*edCODPLANOONLINE, *edCODPLAPADRAO, *edCODHIST);
  AtualizaCamposDependentes();
  // A new plan that does not exist cannot be posted to (the plan checks below take it for a change).
  if (!AceitaNovoPlano(*edCODPLANOONLINE, planoOk)) return false;
  // 3. participant
  if (edCODTERCEIRO->Enabled() && edCODTERCEIRO->Codigo() == 0) {
    DlgInfOk(kMsgParticipante);
    edCODTERCEIRO->SetFocus();
    return false;
  }
  // 4. consultation-only copy
  if (CampoInt(edCODEMP->GetDaoFactory(), "BDSTATUSEMP") == 1) {
    DlgInfOk(kMsgEmpresaSomenteConsulta);
    edCODEMP->SetFocus();
    return false;
  }
  return true;
}

// Steps 5 to 8: the change itself, the LALUR plan and the mapping plan.
bool TfrProcessoTrocaPlanoContabilizacao::ConferePlanos() {
  const std::string& usuario = ProcessContext().UserName;
  // 5. / 6. the plan must really change chart or history plan
  if (edCodConfOnlineDe->Codigo() == edCODPLANOONLINE->Codigo()) {
    DlgInfOk(usuario + kMsgRecontabilizacao);
    return false;
  }
  if (edCODPLAPADRAODe->Codigo() == edCODPLAPADRAO->Codigo() && edCODHISTDe->Codigo() == edCODHIST->Codigo()) {
    DlgInfOk(usuario + kMsgMesmoPlano);
    return false;
  }
  // 7. LALUR plan
  if (edCODCONTABLALUR->Enabled()) {
    if (edCODCONTABLALUR->Codigo() == 0) {
      DlgInfOk("Não foi informado o plano de integração contábil!");
      edCODCONTABLALUR->SetFocus();
      return false;
    }
    if (!AceitaCodigo(*edCODCONTABLALUR, edCODCONTABLALUR->Validate())) return false;
    const TCodigoRegistro* lalur = edCODCONTABLALUR->GetDaoFactory();
    if (lalur && !lalur->Campo("BDCODPLANOONLINE").IsNull() &&
        CampoInt(lalur, "BDCODPLANOONLINE") != edCODPLANOONLINE->Codigo()) {
      DlgInfOk("Este plano de integração contábil não pertence ao mesmo plano de on-line selecionado!");
      edCODCONTABLALUR->SetFocus();
      return false;
    }
  }
  // 8. mapping plan
  if (!AceitaCodigo(*edCodPlanoTroca, edCodPlanoTroca->Validate())) return false;
  if (!edCodPlanoTroca->ValorInformado()) {
    DlgInfOk("Não foi informado o plano de troca!");
    edCodPlanoTroca->SetFocus();
    return false;
  }
  return true;
}

// Steps 9 and 10: the start period, where the company register must exist.
bool TfrProcessoTrocaPlanoContabilizacao::ConferePeriodo(int& refInicial) {
  const std::string& usuario = ProcessContext().UserName;
  // 9. start period
  if (edDataInicial->IsEmpty()) {
    DlgWarOk("Não há data de inicio de atividade no cadastro de empresa.");
    return false;
  }
  refInicial = edDataInicial->GetData_AnoMes();
  // 10. the company register must exist at the start period
  if (PrimeiroMesAtividade(edCODEMP->GetSQLMultiSelectString("r.BDCODEMP")) > refInicial) {
    DlgWarOk(usuario + kMsgCadastroEmpresa);
    return false;
  }
  return true;
}

// Steps 12 to 17: the base checks, the rights and the questions of a real run.
bool TfrProcessoTrocaPlanoContabilizacao::ConfereExecucao(int refInicial) {
  const std::string& usuario = ProcessContext().UserName;
  // 12. / 13. base checks and rights
  if (!TfrProcessoComMotor::PodeIniciarProcesso()) return false;
  bool permitido = VerificaSeguranca();
  FMotor->Responsavel = ProcessContext().WP_RESPONSAVEL;
  if (!permitido) return false;
  int codEmp = static_cast<int>(edCODEMP->Codigo());
  int planoDe = static_cast<int>(edCodConfOnlineDe->ValorInteger());
  int planoPara = static_cast<int>(edCODPLANOONLINE->ValorInteger());
  // 14. backup company
  if (FMotor->getPossuiZeramento(codEmp) && !Confirma(kMsgBackup)) return false;
  // 15. retentions on a cash basis
  const TCodigoRegistro* novo = edCODPLANOONLINE->GetDaoFactory();
  if (planoPara != planoDe && novo &&
      (CampoInt(novo, "BDREGCONTRETPCC") == 1 || CampoInt(novo, "BDREGCONTRETIR") == 1) &&
      !Confirma(kMsgRetencoesCaixa))
    return false;
  // 16. accounts without preparation in the mapping plan
  if (edCODPLAPADRAODe->ValorInteger() != edCODPLAPADRAO->ValorInteger()) {
    Inconsistencias->Clear();
    int refAnterior = TDateTime_VYN::GetDecMesRef(refInicial, 1);
    if (FMotor->getInconsistenciaContaSemPreparacao(planoDe, planoPara, codEmp,
                                                    static_cast<int>(edCODPLAPADRAODe->ValorInteger()),
                                                    static_cast<int>(edCodPlanoTroca->ValorInteger()),
                                                    TDateTime_VYN::GetDataPrimeiroDia(refAnterior),
                                                    TDateTime_VYN::GetDataUltimoDia(refAnterior), Inconsistencias)) {
      // The accounts found are errors: the list shows them, or the user would see no reason.
      Inconsistencias->Execute(true, true, true, true, "");
      return false;
    }
  }
  // 17. final question
  if (!Confirma(usuario + kMsgFinal)) return false;
  return true;
}

// Step 18: the action log of the change.
void TfrProcessoTrocaPlanoContabilizacao::RegistraTroca() {
  const TCodigoRegistro* novo = edCODPLANOONLINE->GetDaoFactory();
  // 18. action log
  FLogEvent->SetTipoAcao(logProcesso);
  FLogEvent->SetDadosPrincipais("BDCODEMP", edCODEMP->getCodigoStr());
  FLogEvent->SetDadosPrincipais("BDCODPLANOONLINEDE", edCodConfOnlineDe->Text());
  FLogEvent->SetDadosPrincipais("BDCODPLANOONLINEPARE", edCODPLANOONLINE->Text());
  FLogEvent->AddAcao(
      "Alteração do plano de contabilização " + edCodConfOnlineDe->Text() + " (" +
      TPreencheCombosVYN::GetDescRegimeEmpresa(CampoInt(edCodConfOnlineDe->GetDaoFactory(), "BDREGCONTRETPCC")) +
      ")" + " para o plano " + edCODPLANOONLINE->Text() + " (" +
      TPreencheCombosVYN::GetDescRegimeEmpresa(CampoInt(novo, "BDREGCONTRETPCC")) + ").");
  FLogEvent->Logger();
}

bool TfrProcessoTrocaPlanoContabilizacao::CadeiaInicio() {
  int refInicial = 0;
  if (!ConfereEmpresa() || !ConferePlanos() || !ConferePeriodo(refInicial)) return false;
  // 11. a verification stops here
  if (!FExecutaProcesso) return true;
  if (!ConfereExecucao(refInicial)) return false;
  RegistraTroca();
  // 19. every routine
  FTiposProcRecontabiliza = TodosTiposProc();
  return true;
}

void TfrProcessoTrocaPlanoContabilizacao::InicioProcesso() {
  TfrProcessoComMotor::InicioProcesso();
  IniciaMotor(*Inconsistencias);
  FMotor->OnCancelaProcesso = [this] { return fCancelaProcesso(); };
  FProcessadas = 0;
}

void TfrProcessoTrocaPlanoContabilizacao::SelectProcesso() {
  int refInicial = edDataInicial->GetData_AnoMes();
  FMotor->SetCompentencia(refInicial);
  FMotor->CommandText(FMotor->GetSelectDataInicioProcesso(edCODEMP->GetSQLMultiSelectString("BDCODEMP"),
                                                          edCodConfOnlineDe->Text(), edCODEMP->ValorInformado(),
                                                          true));
  TFiltroEmpresas filtro;
  filtro.RefInicial = refInicial;
  filtro.NovoInicio = refInicial > 0 ? edDataInicial->GetData() : TDateTime();
  FiltraEmpresasProcesso(*FMotor, filtro, FStatus, FEmpresasRecusadas);
}

void TfrProcessoTrocaPlanoContabilizacao::ChamaProcesso() {
  TfrProcessoComMotor::ChamaProcesso();
  // The follow-ups belong to the head office: once, after all of its rows.
  if (FProcessadas > 0 && !fCancelaProcesso()) Seguimentos();
}

void TfrProcessoTrocaPlanoContabilizacao::Processo() {
  int codEmp = EmpresaDaLinha(*Inconsistencias);
  FMotor->PossuiZeramento = FMotor->getPossuiZeramento(static_cast<int>(edCODEMP->Codigo()));
  FMotor->ExecutaRecontabiliza(static_cast<int>(edCodConfOnlineDe->ValorInteger()),
                               static_cast<int>(edCODPLANOONLINE->ValorInteger()),
                               static_cast<int>(edCodPlanoTroca->ValorInteger()), codEmp,
                               FMotor->FieldByName("bdultenc").AsDateTime(),
                               FMotor->FieldByName("bdDATAFIM").AsDateTime(), Inconsistencias, FExecutaProcesso,
                               FTiposProcRecontabiliza, static_cast<int>(edCODCONTABLALUR->Codigo()),
                               static_cast<int>(edCODTERCEIRO->Codigo()), false);
  ++FProcessadas;
}

void TfrProcessoTrocaPlanoContabilizacao::Seguimentos() {
  if (!FExecutaProcesso || Inconsistencias->CountErros() + Inconsistencias->CountAtencao() != 0) return;
  int matriz = static_cast<int>(edCODEMP->Codigo());
  Inconsistencias->SetEmpresaAtual(matriz);
  if (FMotor->PossuiZeramento) {
    MessageDlgVYN(kMsgSaldosAbertura, mtWarning, mbOK, 0);
    TListaObj lista;
    lista.Add(edCODEMP);
    try {
      TPackagesUtil::CarregaFormParamsObj("TfrEncExercicio", this, std::move(lista));
    } catch (const EFormLoaderError& e) {
      Inconsistencias->Add_Atencao(matriz, std::string(kMsgSaldosAbertura) + " " + e.what());
    }
  }
  if (TEmpresasMGR::getEmpresaPossuiOmie(this, matriz)) {
    auto exportacao = std::make_unique<TExportacaoOmieDBMGR>(nullptr);
    exportacao->CodPlaPadrao = static_cast<int>(edCODPLAPADRAO->Codigo());
    exportacao->CodEmpresa = edCODEMP->getCodigoStr();
    exportacao->ExportaSomenteAnaliticas = true;
    std::unique_ptr<TComponent> status = TfrStatusProcesso::createStatusProcess(this, 2, 1)->ReleaseFromOwner();
    exportacao->Status = static_cast<TfrStatusProcesso*>(status.get());
    exportacao->SetInconsistencias_VYN(Inconsistencias);
    exportacao->EnviaOmie = EnvioOmiePlanoContas(this);
    exportacao->Execute();
  }
}

void TfrProcessoTrocaPlanoContabilizacao::FimProcesso() {
  TfrProcessoComMotor::FimProcesso();
  EncerraMotor(*Inconsistencias, !edDataInicial->IsEmpty(), !FExecutaProcesso);
}

}  // namespace integracao
