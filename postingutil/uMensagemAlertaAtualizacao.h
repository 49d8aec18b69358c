#pragma once
// The update warning: explains the update of the suite, asks for the user's rights and opens the
// scheduling dialog.
#include <string>
#include <vector>

#include "framework/ui/dados_complementares.h"

namespace vyn {
class TLabel;
}

namespace integracao {

class TfrMensagemAlertaAtualizacao : public vyn::TfrDadosComplementaresPadrao {
 public:
  explicit TfrMensagemAlertaAtualizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrMensagemAlertaAtualizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbAtencao;
  vyn::TLabel* lbOQueSeraFeito;
  vyn::TLabel* lbDescricao;
  vyn::TLabel* lbObservacoes;
  std::vector<vyn::TLabel*> lbItensObservacao;

 protected:
  // The user-rights prompt is the gate.
  bool ExecutarProcesso() override;
  // Opens the scheduling dialog (owned by the main form) and closes the warning.
  void ProcessoConfirma() override;
  bool CloseAfterExecute() override { return false; }
  bool GetAlterarStyleFonteLabel() override { return false; }
};

}  // namespace integracao
