#include "bankstatement/uFiltroImportacaoMovimentoCaixaDYQ.h"

#include "bankstatement/uExtratosLiberadosDYQ.h"
#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQ.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/list_view.h"
#include "framework/ui/status_processo.h"

namespace integracao {

using namespace vyn;

TfrFiltroImportacaoMovimentoCaixaDYQ::TfrFiltroImportacaoMovimentoCaixaDYQ(TComponent* owner)
    : TfrIntegracao_Empresa_Padrao_VYN(owner),
      gbDatas(Create<TGroupBox>()),
      edDataInicial(Create<TEdit_Date_Padrao_VYN>()),
      edDataFinal(Create<TEdit_Date_Padrao_VYN>()),
      gbMovimentoCaixa(Create<TGroupBox>()),
      lvMovimentoCaixa(Create<TListView>()),
      ltTitTotalRegistro(Create<TLabel>()),
      lbTotalRegistro(Create<TLabel>()),
      spGerarTransacao(Create<TSpeedButton>()),
      spRecusaExtrato(Create<TSpeedButton>()),
      FRetornaDYQ(std::make_unique<TRetornaMetodoDYQ>()) {
  ltTitTotalRegistro->SetName("ltTitTotalRegistro");
  SetCaption("Importação Movimento Caixa (^DYQ)");
  edCODEMP->SetMaxLength(9);
  gbDatas->SetName("gbDatas");
  gbDatas->SetCaption("Data");
  edDataInicial->SetName("edDataInicial");
  edDataFinal->SetName("edDataFinal");
  gbMovimentoCaixa->SetName("gbMovimentoCaixa");
  gbMovimentoCaixa->SetCaption("Movimento de caixa liberado");
  lvMovimentoCaixa->SetName("lvMovimentoCaixa");
  lvMovimentoCaixa->Checkboxes = false;
  lvMovimentoCaixa->Columns = {{"Número", 70}, {"Conta", 170}, {"Inicio", 90}, {"Fim", 90}, {"Liberação", 136}};
  ltTitTotalRegistro->SetCaption("Total de registros:");
  lbTotalRegistro->SetName("lbTotalRegistro");
  lbTotalRegistro->SetCaption("0");
  edArquivo->SetVisible(false);
  spGerarTransacao->SetName("spGerarTransacao");
  spGerarTransacao->SetHint("Transação automática...");
  spGerarTransacao->Down = true;
  spGerarTransacao->SetTag(1);
  spRecusaExtrato->SetName("spRecusaExtrato");
  spRecusaExtrato->SetHint("Recusar...");

  edCODEMP->AfterSearch = [](TComponent* s, bool& recusar) {
    if (!EmpresaPossuiDYQ(static_cast<TEdit_Codigo_Search_VYN*>(s)->Codigo())) recusar = true;
  };
  edCODEMP->OnExit = [this](TComponent*) { setHintTransacao(); };
  edDataFinal->OnExit = [this](TComponent*) { carregaMovimentos(false); };
  spGerarTransacao->OnClick = [this](TComponent*) {
    spGerarTransacao->SetTag(spGerarTransacao->Tag() == 0 ? 1 : 0);
    spGerarTransacao->Down = spGerarTransacao->Tag() == 1;
    setHintTransacao();
  };
  spRecusaExtrato->OnClick = [this](TComponent*) {
    RecusaExtratoDYQ(*this, *lvMovimentoCaixa, *FRetornaDYQ, false, [this] { carregaMovimentos(true); }, *FLogEvent,
                     EmpresaDYQ(*edCODEMP), tceCaixa);
  };
}

bool TfrFiltroImportacaoMovimentoCaixaDYQ::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrFiltroImportacaoMovimentoCaixaDYQ") ||
         TfrIntegracao_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

TImportacaoDYQMGR* TfrFiltroImportacaoMovimentoCaixaDYQ::Manager() const {
  return dynamic_cast<TImportacaoDYQMGR*>(FDAOIntegracao);
}

void TfrFiltroImportacaoMovimentoCaixaDYQ::SetCriaDao() {
  TfrIntegracao_Empresa_Padrao_VYN::SetCriaDao();
  FDAOIntegracao = TImportacaoDYQMGR::CreateMgr(this);
}

void TfrFiltroImportacaoMovimentoCaixaDYQ::setHintTransacao() {
  spGerarTransacao->SetHint(spGerarTransacao->Down ? "Transação automática - Ativada"
                                                   : "Transação automática - Desativada");
}

void TfrFiltroImportacaoMovimentoCaixaDYQ::carregaMovimentos(bool Silent) {
  if (CarregaLiberadosDYQ(*this, *lvMovimentoCaixa, *FRetornaDYQ, EmpresaDYQ(*edCODEMP), false, "Caixa",
                          edDataInicial->GetData(), edDataFinal->GetData(), Silent,
                          "Buscando movimentos de caixa, aguarde...", "Nenhum movimento de caixa encontrado!"))
    lbTotalRegistro->SetCaption(std::to_string(lvMovimentoCaixa->Count()));
}

void TfrFiltroImportacaoMovimentoCaixaDYQ::spConfirmarClick(TComponent* sender) {
  TImportacaoDYQMGR& mgr = *Manager();
  if (!PreparaImportacaoDYQ(*lvMovimentoCaixa, mgr, EmpresaDYQ(*edCODEMP))) return;
  mgr.SetConciliar(false);
  mgr.SetConciliarPorNrDoc(false);
  mgr.SetConciliarPorValor(false);
  mgr.SetConciliarPorData(false);
  mgr.SetConciliarConsiderarZeros(false);
  mgr.SetGerarTransacao(spGerarTransacao->Down);
  mgr.SetAtualizaLista([this](bool silent) { carregaMovimentos(silent); });
  mgr.SetSubPrepWeb(false);
  mgr.SetTipoExtratoBancario(tceCaixa);
  TfrIntegracao_Empresa_Padrao_VYN::spConfirmarClick(sender);
}

void TfrFiltroImportacaoMovimentoCaixaDYQ::SetListaObj(const TListaObj& lista) {
  TfrIntegracao_Empresa_Padrao_VYN::SetListaObj(lista);
  // From the menu nothing is handed over: the user chooses the company.
  if (lista.Count() == 0) return;
  // This dialog never enables its opener again: the notification list waits for the statement
  // dialog opened beside it.
  if (auto* dono = dynamic_cast<TControl*>(Owner())) {
    DisableOwnerWhileOpen(nullptr);
    dono->SetEnabled(false);
  }
  const std::string texto = lista.GetText(0);
  edCODEMP->SetText(texto.substr(0, texto.find(' ')));
  edCODEMP->Search();
  edCODEMP->SetEnabled(false);
  edDataInicial->Clear();
  edDataFinal->Clear();
  carregaMovimentos(false);
  if (lvMovimentoCaixa->Count() == 0 && AbertoPelasNotificacoes(Owner())) Close();
}

}  // namespace integracao
