#include "bankstatement/uConcilacaoOFC.h"

#include "bankstatement/uCriteriosConciliacao.h"
#include "framework/accounting/concilia_linhas_extrato.h"
#include "framework/accounting/extrato_ban_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/status_processo.h"

namespace integracao {

using namespace vyn;

TfrConciliacaoOFC::TfrConciliacaoOFC(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      edCODCTA(Create<TEdit_Codigo_Search_VYN>(tcPlanoContas)),
      pnNOMCTA(Create<TPanel>()),
      edDATINI(Create<TEdit_Date_Padrao_VYN>()),
      edDATFIN(Create<TEdit_Date_Padrao_VYN>()),
      gbConciliacoes(Create<TGroupBox>()),
      ckDocumento(Create<TCheckBox>()),
      ckData(Create<TCheckBox>()),
      ckValor(Create<TCheckBox>()),
      ckConsiderarZeroAEsquerda(Create<TCheckBox>()) {
  edCODCTA->SetName("edCODCTA");
  pnNOMCTA->SetName("pnNOMCTA");
  edDATINI->SetName("edDATINI");
  edDATFIN->SetName("edDATFIN");
  gbConciliacoes->SetName("gbConciliacoes");
  ckDocumento->SetName("ckDocumento");
  ckValor->SetName("ckValor");
  ckData->SetName("ckData");
  ckConsiderarZeroAEsquerda->SetName("ckConsiderarZeroAEsquerda");
  SetCaption("Conciliação do extrato bancário");
  edCODCTA->EditsMaster.push_back(edCODEMP);
  edCODCTA->PanelNome = pnNOMCTA;
  edCODEMP->SetEnabled(false);
  edCODCTA->SetEnabled(false);
  edDATINI->SetEnabled(false);
  edDATFIN->SetEnabled(false);
  gbConciliacoes->SetCaption(" Conciliações ");
  ckDocumento->SetCaption("Número de documento");
  ckData->SetCaption("Comparar Data");
  ckValor->SetCaption("Comparar Valor");
  ckConsiderarZeroAEsquerda->SetCaption("Considerar zeros a esquerda");
  ckData->SetEnabled(false);
  ckValor->SetEnabled(false);
  ckConsiderarZeroAEsquerda->SetEnabled(false);
  ckDocumento->OnClick = [this](TComponent*) { TrataComponentesConciliacao(); };
}

bool TfrConciliacaoOFC::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConciliacaoOFC") || TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrConciliacaoOFC::FormCreate() {
  TfrProcesso_Empresa_Padrao_VYN::FormCreate();
  FLancamentoDAO = nullptr;
  if (auto* dono = dynamic_cast<TForm_VYN*>(Owner())) dono->SetEnabled(false);
}

void TfrConciliacaoOFC::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, 1, "Esta tela é aberta pela revisão do extrato bancário e pela conciliação bancária.");
  TfrProcesso_Empresa_Padrao_VYN::SetListaObj(lista);
}

void TfrConciliacaoOFC::FormShow() {
  TfrProcesso_Empresa_Padrao_VYN::FormShow();
  TrataComponentesConciliacao();
}

void TfrConciliacaoOFC::FormClose(TCloseAction& action) {
  TfrProcesso_Empresa_Padrao_VYN::FormClose(action);
  if (auto* dono = dynamic_cast<TForm_VYN*>(Owner())) dono->SetEnabled(true);
}

void TfrConciliacaoOFC::TrataComponentesConciliacao() {
  AplicaCriteriosConciliacao(true, *ckDocumento, *ckValor, *ckData, *ckConsiderarZeroAEsquerda, *gbConciliacoes);
}

void TfrConciliacaoOFC::Processo() {
  if (!FLancamentoDAO) return;
  if (FDaoExtrato) {
    if (!FDaoExtrato->ConciliaDaoExtrato(ckData->Checked(), ckDocumento->Checked(), ckValor->Checked(),
                                         ckConsiderarZeroAEsquerda->Checked(), FLancamentoDAO))
      DlgInfOk("Conciliação automática concluída. \r^Ainda existem lançamentos não-conciliados, verifique!");
    else
      DlgInfOk("Conciliação bancária concluída com sucesso!\r^Não há nenhuma divergência entre o extrato importado e a contabilização!");
    Close();
    return;
  }
  ConciliaLancamentos();
}

void TfrConciliacaoOFC::ConciliaLancamentos() {
  TLancamentoMGR& lan = *FLancamentoDAO;
  TDisabledControls controles(lan);
  auto* status = TfrStatusProcesso::createStatusProcess(this, 2, 1);
  status->setPrimaryStatusLabel("Conciliando lançamentos...");
  status->setPrimaryMaxProgress(lan.RecordCount());
  const int rec = lan.RecNo();
  auto fim = [&] {
    status->Finalize();
    if (rec > 0 && rec <= lan.RecordCount()) lan.SetRecNo(rec);
  };
  TCriteriosConciliacaoLinha criterios;
  criterios.PorDocumento = ckDocumento->Checked();
  criterios.PorData = ckData->Checked();
  criterios.PorValor = ckValor->Checked();
  criterios.ConsiderarZeros = ckConsiderarZeroAEsquerda->Checked();
  try {
    ConciliaLinhasExtrato(lan, edCODEMP, edCODCTA, criterios, [&](int n) { status->setPrimaryStatusProgress(n); });
  } catch (...) {
    fim();
    throw;
  }
  fim();
  DlgInfOk("Conciliação realizada com sucesso.");
}

}  // namespace integracao
