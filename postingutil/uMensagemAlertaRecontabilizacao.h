#pragma once
// The re-posting warning: what the re-posting does, then the re-posting screen.
#include <string>
#include <vector>

#include "postingutil/uMensagemAlertaProcesso.h"

namespace integracao {

class TfrMensagemAlertaRecontabilizacao : public TfrMensagemAlertaProcesso {
 public:
  explicit TfrMensagemAlertaRecontabilizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrMensagemAlertaRecontabilizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbAtencao;
  std::vector<vyn::TLabel*> lbItensAtencao;
  vyn::TLabel* lbOQueSeraFeito;
  vyn::TLabel* lbDescricao;
  vyn::TLabel* lbObservacoes;
  vyn::TLabel* lbSaibaMais;
  vyn::TButtonControl* lbLink;
};

}  // namespace integracao
