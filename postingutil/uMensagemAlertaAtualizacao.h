#pragma once
// The update warning: explains the update of the suite, asks for the user's rights and opens the
// scheduling dialog.
#include <string>
#include <vector>

#include "postingutil/uMensagemAlertaProcesso.h"

namespace vyn {
class TLabel;
}

namespace integracao {

class TfrMensagemAlertaAtualizacao : public TfrMensagemAlertaProcesso {
 public:
  explicit TfrMensagemAlertaAtualizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrMensagemAlertaAtualizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbAtencao;
  vyn::TLabel* lbOQueSeraFeito;
  vyn::TLabel* lbDescricao;
  vyn::TLabel* lbObservacoes;
  std::vector<vyn::TLabel*> lbItensObservacao;
};

}  // namespace integracao
