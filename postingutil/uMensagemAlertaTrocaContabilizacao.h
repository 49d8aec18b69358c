#pragma once
// The warning before the change of posting plan: explains what the change does, asks for the user's
// rights, writes the explanation to the action log and opens the plan-change screen.
#include <string>
#include <vector>

#include "framework/ui/dados_complementares.h"

namespace vyn {
class TButtonControl;
class TLabel;
class TPanel;
}  // namespace vyn

namespace integracao {

class TfrMensagemAlertaTrocaContabilizacao : public vyn::TfrDadosComplementaresPadrao {
 public:
  explicit TfrMensagemAlertaTrocaContabilizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrMensagemAlertaTrocaContabilizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbAtencao;
  vyn::TLabel* lbOQueSeraFeito;
  vyn::TLabel* lbTrocaPlano;
  vyn::TLabel* lbSeta;
  vyn::TPanel* pnParagrafos;               // its labels, in child order, are the two paragraphs
  std::vector<vyn::TLabel*> lbParagrafos;
  std::vector<vyn::TLabel*> lbItens;
  vyn::TLabel* lbSaibaMais;
  vyn::TButtonControl* lbCliqueAqui;   // the help link: a clickable text
  std::string LinkAjuda;                   // the help article "clique aqui" opens
  void lbCliqueAquiClick(vyn::TComponent* sender);

 protected:
  // The user-rights prompt is the gate.
  bool ExecutarProcesso() override;
  // Logs the explanation, opens the plan-change screen (owned by the main form) and closes.
  void ProcessoConfirma() override;
  bool CloseAfterExecute() override { return false; }
  bool GetAlterarStyleFonteLabel() override { return false; }
};

}  // namespace integracao
