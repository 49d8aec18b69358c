#include "postingutil/uProcessoRecontabilizacao.h"

#include "framework/accounting/empresas_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/component/string_list.h"
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

constexpr const char* kMsgConfirma =
    ", ao realizar o processo de recontabilização os lançamentos contábeis originados da integração online serão "
    "excluídos e recriados, ou seja, serão criadas novas chaves de lançamento contábil. Tem certeza que deseja "
    "recontabilizar?";
constexpr const char* kMsgConciliados =
    "Existem lançamentos conciliados para a empresa no período selecionado para recontabilização. Ao prosseguir, "
    "esses lançamentos serão desconciliados automaticamente. \rDeseja continuar?";

}  // namespace

TfrProcessoRecontabilizacao::TfrProcessoRecontabilizacao(TComponent* owner)
    : TfrProcesso_Padrao_VYN(owner),
      edCODEMP(Create<TEdit_Codigo_Search_VYN>(tcEmpresasMatriz)),
      pnNOMEMP(Create<TPanel>()),
      spConsultaEmp(Create<TSpeedButton>()),
      edDataInicial(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      edDataFim(Create<TEdit_Date_Padrao_VYN>(tdReferencia)),
      spSelecaoContas(Create<TSpeedButton>()),
      spInformation24(Create<TSpeedButton>()),
      Inconsistencias(Create<TInconsistencias_VYN>()) {
  SetName("frProcessoRecontabilizacao");
  SetCaption("Processo de recontabilização");
  PreparaEditEmpresa(*edCODEMP, *pnNOMEMP);
  edCODEMP->AceitaVazio = true;   // an empty company is refused by the start check, with its message
  edCODEMP->SetHint("|F11 - Selecionar, Ctrl + F11 - Tira seleção");
  spConsultaEmp->SetName("spConsultaEmp");
  spConsultaEmp->SetHint("Consulta Empresa");
  edDataInicial->SetName("edDataInicial");
  edDataFim->SetName("edDataFim");
  edDataFim->OnExit = [this](TComponent* s) { edDataFimExit(s); };
  spSelecaoContas->SetName("spSelecaoContas");
  spSelecaoContas->SetHint("Seleciona os dados que serão recontabilizados");
  spSelecaoContas->OnClick = [this](TComponent* s) { spSelecaoContasClick(s); };
  spInformation24->SetName("spInformation24");
  spInformation24->SetHint("Informações relacionadas ao processo de recontabilização");
  spInformation24->SetEnabled(false);
  spInformation24->OnClick = [this](TComponent* s) { spInformation24Click(s); };
  Inconsistencias->SetName("Inconsistencias");
}

bool TfrProcessoRecontabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrProcessoRecontabilizacao") || TfrProcesso_Padrao_VYN::InheritsFrom(class_name);
}

void TfrProcessoRecontabilizacao::CreateDAO() {
  FMotor = TProcessoRecontabilizacaoMGR::CreateMgr(this);
  FDAO = FMotor;
  FRotinas.reset();
}

void TfrProcessoRecontabilizacao::FormCreate() {
  TfrProcesso_Padrao_VYN::FormCreate();
  FRotinas.reset();
  FListaRotinas.clear();
}

void TfrProcessoRecontabilizacao::SetListaObj(const TListaObj& lista) {
  TfrProcesso_Padrao_VYN::SetListaObj(lista);
  if (lista.Count() != 4) return;
  auto* codigos = lista.Get<TStringList>(0);
  auto* inicio = lista.Get<TDateTime_VYN>(1);
  auto* fim = lista.Get<TDateTime_VYN>(2);
  auto* rotinas = lista.Get<TStringList>(3);
  if (inicio) edDataInicial->SetText(TDateTime_VYN::GetParseToStr(inicio->Value(), 3));
  if (fim) edDataFim->SetText(TDateTime_VYN::GetParseToStr(fim->Value(), 3));
  edCODEMP->Clear();
  edCODEMP->SetAceitaMultiSelecao(true);
  edCODEMP->SetMultiSelect(true);
  if (codigos) {
    for (int i = 0; i < codigos->Count(); ++i) {
      std::string digitos = OnlyDigits(codigos->Strings(i));
      if (digitos.empty()) continue;
      edCODEMP->AddMultiSelecao(ZeroPad(digitos, 6), std::stoll(digitos));
    }
  }
  edCODEMP->Validate();
  if (rotinas) {
    for (int i = 0; i < rotinas->Count(); ++i) {
      FListaRotinas.push_back(rotinas->Strings(i));
      if (auto* ordinal = dynamic_cast<TInteger_VYN*>(rotinas->Objects(i))) IncluiTipoProc(FRotinas, ordinal->Value());
    }
  }
}

void TfrProcessoRecontabilizacao::spConsultaClick(TComponent* sender) {
  TfrProcesso_Padrao_VYN::spConsultaClick(sender);
  TPackagesUtil::CarregaForm(edCODEMP, "TfrConsultaRecontabilizacao");
}

void TfrProcessoRecontabilizacao::spSelecaoContasClick(TComponent*) {
  TListaObj lista;
  lista.AddNil();
  TPackagesUtil::CarregaFormModal("TfrSelecaoRecontabilizacao", this, std::move(lista));
}

void TfrProcessoRecontabilizacao::spInformation24Click(TComponent*) {
  Inconsistencias->Execute(false, true, true, true, "");
}

bool TfrProcessoRecontabilizacao::fCancelaProcesso() {
  if (TfrProcesso_Padrao_VYN::fCancelaProcesso()) return true;
  return FStatus && FStatus->getCancel();
}

void TfrProcessoRecontabilizacao::edDataFimExit(TComponent* sender) {
  if (FRotinas.none()) spSelecaoContasClick(sender);
}

bool TfrProcessoRecontabilizacao::EmpresaInformada() const { return edCODEMP->QtdeSelecionados() > 0; }

std::string TfrProcessoRecontabilizacao::CondicaoEmpresas(const std::string& coluna) const {
  return edCODEMP->GetSQLMultiSelectString(coluna);
}

bool TfrProcessoRecontabilizacao::UltimoEncerramentoPermite() {
  int refInicial = edDataInicial->GetData_AnoMes();
  // Without a start the run begins at the last closing itself: nothing to compare.
  if (!EmpresaInformada() || refInicial == 0) return true;
  TSQLMGR sql;
  sql.SetReferencia(refInicial);
  sql.CommandText(FMotor->GetSelectDataInicioProcesso(CondicaoEmpresas("BDCODEMP"), "", true, false));
  sql.First();
  if (sql.Eof() || sql.FieldByName("BDULTENC").IsNull()) return true;
  if (TDateTime_VYN::GetAnoMes(sql.FieldByName("BDULTENC").AsDateTime()) <= refInicial) return true;
  DlgInfOk(kMsgEmpresaNaoProcessada);
  return false;
}

bool TfrProcessoRecontabilizacao::ConfirmaConciliados() {
  bool fiscal = false, folha = false;
  for (const auto& c : FListaRotinas) {
    fiscal = fiscal || c.find(kPrefixoFiscal) != std::string::npos;
    folha = folha || c.find(kPrefixoFolha) != std::string::npos;
  }
  std::string tipos = fiscal ? "100" : "";
  if (folha) tipos += tipos.empty() ? "200" : ",200";
  if (tipos.empty()) return true;

  // The engine deletes the branches' postings with the head office's.
  std::string empresas = CondicaoEmpresas("TLAN.BDCODEMP");
  std::string filiais = CondicaoEmpresas("F.BDCODMATRIZ");
  std::string condicao = empresas.empty() ? "" : "(" + empresas +
                                                     " or TLAN.BDCODEMP in (select F.BDCODEMP from TEMPRESAS F where " +
                                                     filiais + ")) and ";
  int refFim = edDataFim->GetData_AnoMes();
  TDateTime ini = edDataInicial->IsEmpty() ? EncodeDate(1900, 1, 1) : edDataInicial->GetData();
  TDateTime fim = refFim > 0 ? LastDayOfAnoMes(refFim) : EndOfTheMonth(Today());
  TSQLMGR sql;
  sql.CommandText("select first 1 * from VZEL_EMPRESAS_TLAN TLAN  where " + condicao + "'TRUE'" +
                      " in (TLAN.BDCONCD, TLAN.BDCONCC) and " + " TLAN.BDDATA between ? and ? and " +
                      " TLAN.BDTIPOLAN in (" + tipos + ")",
                  ctOpen, {ini, fim});
  if (sql.IsEmpty()) return true;
  if (MessageDlgVYN(kMsgConciliados, mtWarning, mbYes | mbNo, 0) != mrYes) {
    FLogEvent->AddAcao(std::string(kMsgConciliados) + "  Não");
    // The answer belongs to the record of this attempt.
    FLogEvent->Logger();
    DlgInfOk(kMsgProcessoCancelado);
    return false;
  }
  FLogEvent->AddAcao(std::string(kMsgConciliados) + "  Sim");
  return true;
}

bool TfrProcessoRecontabilizacao::PodeIniciarProcesso() {
  const std::string& usuario = ProcessContext().UserName;
  FLogEvent->InicializaVariaveis(true);
  FLogEvent->SetTipoAcao(logProcesso);
  FLogEvent->SetDadosPrincipais("BDCODEMP", edCODEMP->getCodigoStr());

  if (!edCODEMP->Validate() && edCODEMP->ValorInformado()) return false;
  // An empty selection must not fall through to every head office.
  if (!EmpresaInformada() || (!edCODEMP->MultiSelect() && edCODEMP->Codigo() == 0)) {
    DlgInfOk("Empresa não informada!");
    edCODEMP->SetFocus();
    return false;
  }
  if (!edCODEMP->MultiSelect()) {
    const TCodigoRegistro* reg = edCODEMP->GetDaoFactory();
    Variant st = reg ? reg->Campo("BDSTATUSEMP") : Variant();
    if (!st.IsNull() && st.AsInteger() == 1) {
      DlgInfOk("Empresa somente para consulta. Pois a mesma provém do processo de troca do plano de contas!");
      edCODEMP->SetFocus();
      return false;
    }
  }
  if (!UltimoEncerramentoPermite()) return false;
  if (!TfrProcesso_Padrao_VYN::PodeIniciarProcesso()) return false;
  if (FRotinas.none()) {
    if (DlgConfSimNao(usuario + ", você deve selecionar os dados que serão recontabilizados. Deseja selecionar?") ==
        mrYes)
      spSelecaoContasClick(spSelecaoContas);
    return false;
  }
  bool permitido = VerificaSeguranca();
  FMotor->Responsavel = ProcessContext().WP_RESPONSAVEL;
  if (!permitido) return false;
  if (!DlgConfirmaLog(usuario + kMsgConfirma, FLogEvent)) {
    FLogEvent->Descarta();
    return false;
  }
  FLogEvent->AddAcao("Recontabilização " + edDataInicial->Text() + " de até " + edDataFim->Text());
  FLogEvent->AddAcao("Rotinas sendo recontabilizadas: " + Join(FListaRotinas, "\r\n"));
  if (!ConfirmaConciliados()) return false;
  FLogEvent->Logger();
  return true;
}

void TfrProcessoRecontabilizacao::InicioProcesso() {
  TfrProcesso_Padrao_VYN::InicioProcesso();
  spInformation24->SetEnabled(false);
  if (FStatus) FreeComponent(FStatus);
  FStatus = TfrStatusProcesso::createStatusProcess(this, 7, 1);
  FStatus->SetVisibleTerceiroProgressBar(false);
  FMotor->FStatus = FStatus;
  Inconsistencias->Clear();
  FEmpresasRecusadas.clear();
}

void TfrProcessoRecontabilizacao::SelectProcesso() {
  std::string condicao = CondicaoEmpresas("BDCODEMP");
  if (edDataInicial->IsEmpty()) {
    // Without a start, the companies' first month of activity.
    auto sql = getSQLMgr_do_Pool();
    std::string where = condicao.empty() ? "" : " WHERE " + CondicaoEmpresas("r.BDCODEMP");
    sql->CommandText("SELECT MIN(r.bdREFEMP) AS bdREFEMP FROM TEMPRESAS_REF r" + where);
    sql->First();
    if (!sql->Eof() && !sql->FieldByName("bdREFEMP").IsNull())
      edDataInicial->SetData_AnoMes(static_cast<int>(sql->FieldByName("bdREFEMP").AsInteger()));
  }
  int refInicial = edDataInicial->GetData_AnoMes();
  FMotor->SetCompentencia(refInicial);
  FMotor->CommandText(FMotor->GetSelectDataInicioProcesso(condicao, "", EmpresaInformada(), false));
  TFiltroEmpresas filtro;
  filtro.RefInicial = refInicial;
  filtro.NovoInicio = refInicial > 0 ? FirstDayOfAnoMes(refInicial) : TDateTime();
  filtro.RefFinal = edDataFim->GetData_AnoMes();
  // A consultation-only copy must not be re-posted, also inside a selection.
  filtro.RecusaSomenteConsulta = true;
  FiltraEmpresasProcesso(*FMotor, filtro, FStatus, FEmpresasRecusadas);
}

void TfrProcessoRecontabilizacao::Processo() {
  int codEmp = static_cast<int>(FMotor->FieldByName("BDCODEMP").AsInteger());
  Inconsistencias->SetEmpresaAtual(codEmp);
  if (FStatus) {
    FStatus->setPrimaryStatusProgress(FMotor->RecNo());
    FStatus->setPrimaryStatusLabel(FMotor->FieldByName("bdnomemp").AsString());
  }
  FMotor->PossuiZeramento = FMotor->getPossuiZeramento(codEmp);
  TDateTime inicio = FMotor->FieldByName("bdultenc").AsDateTime();
  TDateTime fim = FMotor->FieldByName("bdDATAFIM").AsDateTime();
  // The plan in force at the row's end month (the end period may be empty).
  Variant plano = TEmpresasMGR::GetRetornaCampoEmpresaRef(this, codEmp, "BDCODPLANOONLINE", AnoMes(fim));
  int codPlano = plano.IsNull() ? 0 : static_cast<int>(plano.AsInteger());
  FMotor->ListaRotinas = FListaRotinas;
  FMotor->OnCancelaProcesso = [this] { return fCancelaProcesso(); };
  FMotor->ExecutaRecontabiliza(codPlano, codPlano, 0, codEmp, inicio, fim, Inconsistencias, true, FRotinas, 0, 0,
                               false);
}

void TfrProcessoRecontabilizacao::FimProcesso() {
  TfrProcesso_Padrao_VYN::FimProcesso();
  bool cancelado = FStatus && FStatus->getCancel();
  if (FStatus) FStatus->Finalize();
  int linhas = FMotor->Active() ? FMotor->RecordCount() : 0;
  FMotor = TrocaMotor(*this, FMotor);
  FDAO = FMotor;
  FMotor->FStatus = FStatus;
  RegistraEmpresasRecusadas(*Inconsistencias, FEmpresasRecusadas);
  TResultadoProcesso r = ApuraResultado(cancelado, linhas, !edDataInicial->IsEmpty(),
                                        static_cast<int>(FEmpresasRecusadas.size()), *Inconsistencias);
  ApresentaResultado(r, *Inconsistencias);
  if ((r == TResultadoProcesso::Cancelado || r == TResultadoProcesso::Sucesso) && !Inconsistencias->IsEmpty())
    spInformation24->SetEnabled(true);
}

}  // namespace integracao
