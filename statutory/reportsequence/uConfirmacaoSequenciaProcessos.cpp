#include "statutory/reportsequence/uConfirmacaoSequenciaProcessos.h"

#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/screen_user_config.h"

namespace integracao {

using namespace vyn;

TfrConfirmacaoSequenciaProcessos::TfrConfirmacaoSequenciaProcessos(TComponent* owner) : TForm_VYN(owner) {
  SetCaption("Confirmação");
  lbPrezado = CriaRotulo(*this, "lbPrezado", "Prezado usuário:");
  lbTexto = CriaRotulo(*this, "lbTexto",
                       "Antes de iniciar o uso da sequência de processos, por favor leia o FAQ. Ele está acessível "
                       "através do botão abaixo e  através do botão de FAQ na própria tela da sequência de processos.");
  lbLiberacao = CriaRotulo(*this, "lbLiberacao", "Após a confirmação de leitura do FAQ, as funcionalidades serão liberadas.");
  LinkLabel_Padrao_VYN1 = Create<TButtonControl>();
  LinkLabel_Padrao_VYN1->SetName("LinkLabel_Padrao_VYN1");
  LinkLabel_Padrao_VYN1->SetCaption("Acesse o FAQ aqui");
  LinkLabel_Padrao_VYN1->OnClick = [this](TComponent*) { LinkLabel_Padrao_VYN1LinkClick(); };
  ckConfirmar = Create<TCheckBox>();
  ckConfirmar->SetName("ckConfirmar");
  ckConfirmar->SetCaption("Confirmo que li o FAQ e estou ciente das informações nele contidas");
  btOk = Create<TButton>();
  btOk->SetName("btOk");
  btOk->SetCaption("&Ok");
  btOk->OnClick = [this](TComponent*) { btOkClick(); };
  btCancelar = Create<TButton>();
  btCancelar->SetName("btCancelar");
  btCancelar->SetCaption("&Cancelar");
  btCancelar->OnClick = [this](TComponent*) { btCancelarClick(); };
}

int TfrConfirmacaoSequenciaProcessos::Executa() {
  ShowModal();
  // A dialog closed any other way is a cancel: the sequence screen must not open unconfirmed.
  return ModalResult() == mrYes ? mrYes : mrNo;
}

void TfrConfirmacaoSequenciaProcessos::FormShow() {
  TForm_VYN::FormShow();
  if (TScreenUserConfig::CarregarDoUsuario("leuManual", kTela) == "TRUE") {
    SetModalResult(mrYes);
    return;
  }
  if (auto* dono = dynamic_cast<TControl*>(Owner())) dono->SetEnabled(false);
}

void TfrConfirmacaoSequenciaProcessos::LinkLabel_Padrao_VYN1LinkClick() {
  TScreenUserConfig::SalvarParaUsuario("jaLeu", "TRUE", kTela);
  ShellExecuteVYN("https://cliente.vyn.com.br/modulo/faq/faq.php?faqId=3927&sistemaId=50");
}

void TfrConfirmacaoSequenciaProcessos::btOkClick() {
  if (!ckConfirmar->Checked()) {
    DlgInfOk("Para prosseguir é necessário confirmar a leitura do FAQ!");
    return;
  }
  if (TScreenUserConfig::CarregarDoUsuario("jaLeu", kTela).empty()) {
    DlgInfOk("Para prosseguir é necessária a leitura do FAQ!");
    return;
  }
  TScreenUserConfig::SalvarParaUsuario("leuManual", "TRUE", kTela);
  SetModalResult(mrYes);
}

void TfrConfirmacaoSequenciaProcessos::btCancelarClick() { SetModalResult(mrNo); }

void TfrConfirmacaoSequenciaProcessos::FormClose(TCloseAction& action) {
  if (auto* dono = dynamic_cast<TControl*>(Owner())) dono->SetEnabled(true);
  TForm_VYN::FormClose(action);
  action = caHide;
}

}  // namespace integracao
