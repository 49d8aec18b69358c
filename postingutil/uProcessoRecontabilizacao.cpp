#include "postingutil/uProcessoRecontabilizacao.h"

#include "framework/accounting/empresas_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/component/string_list.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/escolha_empresas.h"
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
constexpr int kTeclaF11 = 122;
constexpr const char* kMsgConciliados =
    "Existem lançamentos conciliados para a empresa no período selecionado para recontabilização. Ao prosseguir, "
    "esses lançamentos serão desconciliados automaticamente. \rDeseja continuar?";

}  // namespace

TfrProcessoRecontabilizacao::TfrProcessoRecontabilizacao(TComponent* owner)
    : TfrProcessoComMotor(owner),
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
  PreparaEditMatriz(*edCODEMP, *pnNOMEMP);
  // Several head offices at once: typed parted by ";" or ticked in F11's list.
  edCODEMP->SetAceitaMultiSelecao(true);
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
  lbEmpresa = CriaRotulo(*this, "lbEmpresa", "Empresa:");
  lbDataInicial = CriaRotulo(*this, "lbDataInicial", "Período inicial:");
  lbDataFim = CriaRotulo(*this, "lbDataFim", "Período final:");
}

bool TfrProcessoRecontabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrProcessoRecontabilizacao") || TfrProcessoComMotor::InheritsFrom(class_name);
}

void TfrProcessoRecontabilizacao::CreateDAO() {
  TfrProcessoComMotor::CreateDAO();
  FRotinas.reset();
}

void TfrProcessoRecontabilizacao::FormCreate() {
  TfrProcessoComMotor::FormCreate();
  FRotinas.reset();
  FListaRotinas.clear();
}

void TfrProcessoRecontabilizacao::SetListaObj(const TListaObj& lista) {
  TfrProcessoComMotor::SetListaObj(lista);
  if (lista.Count() != prcQuantidade) return;
  auto* codigos = lista.Get<TStringList>(prcEmpresas);
  auto* inicio = lista.Get<TDateTime_VYN>(prcInicio);
  auto* fim = lista.Get<TDateTime_VYN>(prcFim);
  auto* rotinas = lista.Get<TStringList>(prcRotinas);
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

void TfrProcessoRecontabilizacao::KeyDown(int& key, unsigned shift) {
  TfrProcessoComMotor::KeyDown(key, shift);
  if (key != kTeclaF11 || !edCODEMP->Focused()) return;
  key = 0;
  if (shift == ssCtrl) {
    edCODEMP->Reset();
    return;
  }
  if (shift != 0) return;
  EscolheEmpresas(*edCODEMP, ProcessContext().Database->QueryAll(
                                 "SELECT E.BDCODEMP, R.BDNOMEMP FROM TEMPRESAS E LEFT OUTER JOIN"
                                 " VW_TEMPRESAS_REF_MAX_MIN MM ON (MM.BDCODEMP = E.BDCODEMP) LEFT OUTER JOIN"
                                 " TEMPRESAS_REF R ON (R.BDCODEMP = MM.BDCODEMP AND R.BDREFEMP = MM.BDREFEMP)"
                                 " WHERE COALESCE(E.BDCODMATRIZ, 0) IN (0, E.BDCODEMP)"
                                 " AND COALESCE(E.BDSTATUSEMP, 0) <> 1 ORDER BY E.BDCODEMP"));
}

void TfrProcessoRecontabilizacao::spConsultaClick(TComponent* sender) {
  TfrProcessoComMotor::spConsultaClick(sender);
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
  return EncerramentoPermiteInicio(
      FMotor->GetSelectDataInicioProcesso(CondicaoEmpresas("BDCODEMP"), "", true, false), refInicial);
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

// A period typed just before OK has not been checked by leaving its field: check it here.
bool TfrProcessoRecontabilizacao::PeriodoValido() {
  for (TEdit_Date_Padrao_VYN* e : {edDataInicial, edDataFim}) {
    if (e->IsEmpty() || e->IsValid()) continue;
    DlgWarOk("\"" + e->Text() + "\" não é uma data válida");
    e->SetFocus();
    return false;
  }
  if (!edDataInicial->IsEmpty() && !edDataFim->IsEmpty() &&
      edDataInicial->GetData_AnoMes() > edDataFim->GetData_AnoMes()) {
    DlgWarOk("O período inicial não pode ser maior que o período final!");
    edDataInicial->SetFocus();
    return false;
  }
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
    DlgInfOk(kMsgEmpresaNaoInformada);
    edCODEMP->SetFocus();
    return false;
  }
  if (!edCODEMP->MultiSelect()) {
    const TCodigoRegistro* reg = edCODEMP->GetDaoFactory();
    Variant st = reg ? reg->Campo("BDSTATUSEMP") : Variant();
    if (!st.IsNull() && st.AsInteger() == 1) {
      DlgInfOk(kMsgEmpresaSomenteConsulta);
      edCODEMP->SetFocus();
      return false;
    }
  }
  if (!PeriodoValido()) return false;
  if (!UltimoEncerramentoPermite()) return false;
  if (!TfrProcessoComMotor::PodeIniciarProcesso()) return false;
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
  TfrProcessoComMotor::InicioProcesso();
  spInformation24->SetEnabled(false);
  IniciaMotor(*Inconsistencias);
}

void TfrProcessoRecontabilizacao::SelectProcesso() {
  std::string condicao = CondicaoEmpresas("BDCODEMP");
  if (edDataInicial->IsEmpty()) {
    // Without a start, the companies' first month of activity.
    if (int primeiro = PrimeiroMesAtividade(condicao.empty() ? "" : CondicaoEmpresas("r.BDCODEMP")))
      edDataInicial->SetData_AnoMes(primeiro);
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
  int codEmp = EmpresaDaLinha(*Inconsistencias);
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
  TfrProcessoComMotor::FimProcesso();
  TResultadoProcesso r = EncerraMotor(*Inconsistencias, !edDataInicial->IsEmpty());
  if ((r == TResultadoProcesso::Cancelado || r == TResultadoProcesso::Sucesso) && !Inconsistencias->IsEmpty())
    spInformation24->SetEnabled(true);
}

}  // namespace integracao
