#pragma once
// The one-time confirmation that the sequence FAQ was read: until it is given the sequence screen
// stays disabled; cancelling closes it.
#include "framework/ui/choice_controls.h"
#include "framework/ui/form.h"

namespace integracao {

class TfrConfirmacaoSequenciaProcessos : public vyn::TForm_VYN {
 public:
  explicit TfrConfirmacaoSequenciaProcessos(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConfirmacaoSequenciaProcessos"; }

  vyn::TLabel* lbPrezado;
  vyn::TLabel* lbTexto;
  vyn::TLabel* lbLiberacao;
  vyn::TButtonControl* LinkLabel_Padrao_VYN1;   // "Acesse o FAQ aqui"
  vyn::TCheckBox* ckConfirmar;
  vyn::TButton* btOk;
  vyn::TButton* btCancelar;

  // Shows the dialog and waits for Yes (confirmed) or No (cancelled).
  int Executa();
  void btOkClick();
  void btCancelarClick();
  void LinkLabel_Padrao_VYN1LinkClick();

  static constexpr const char* kTela = "frConfirmacaoSequenciaProcessos";

 protected:
  void FormShow() override;
  void FormClose(vyn::TCloseAction& action) override;
};

}  // namespace integracao
