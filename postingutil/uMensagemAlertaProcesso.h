#pragma once
// The warnings in front of a process screen: static texts, the user's rights as the gate, and on
// confirmation the process screen opened by class name (owned by the main form).
#include <string>

#include "framework/ui/dados_complementares.h"

namespace vyn {
class TLabel;
class TButtonControl;
}  // namespace vyn

namespace integracao {

class TfrMensagemAlertaProcesso : public vyn::TfrDadosComplementaresPadrao {
 public:
  TfrMensagemAlertaProcesso(vyn::TComponent* owner, std::string telaProcesso);
  std::string ClassName() const override { return "TfrMensagemAlertaProcesso"; }
  bool InheritsFrom(const std::string& class_name) const override;

  const std::string& TelaProcesso() const { return tela_; }

 protected:
  // The user-rights prompt is the gate.
  bool ExecutarProcesso() override;
  // Opens the process screen (owned by the main form) and closes the warning.
  void ProcessoConfirma() override;
  bool CloseAfterExecute() override { return false; }
  bool GetAlterarStyleFonteLabel() override { return false; }

  // A static text of the warning, named `nome` (a member's text) or, for the texts of a list, after
  // its place among the warning's texts.
  vyn::TLabel* Texto(const std::string& caption, const std::string& nome = "");
  // The "clique aqui" link to the maker's help page; its address is the text parameter
  // (TPARAMETRO) of that name, and nothing opens while none is configured.
  vyn::TButtonControl* LinkAjuda(const std::string& parametro);

 private:
  std::string tela_;
};

}  // namespace integracao
