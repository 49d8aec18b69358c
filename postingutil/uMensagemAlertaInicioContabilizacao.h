#pragma once
// The start-of-posting warning: what each date of the start of online posting means, then the
// screen that defines them.
#include <string>
#include <vector>

#include "postingutil/uMensagemAlertaProcesso.h"

namespace integracao {

class TfrMensagemAlertaInicioContabilizacao : public TfrMensagemAlertaProcesso {
 public:
  explicit TfrMensagemAlertaInicioContabilizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrMensagemAlertaInicioContabilizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // One entry per date field: its label, the arrow and the two lines of explanation.
  struct TItemCampo {
    vyn::TLabel* Campo;
    vyn::TLabel* Seta;
    vyn::TLabel* Linha1;
    vyn::TLabel* Linha2;
  };

  vyn::TLabel* lbAtencao;
  vyn::TLabel* lbOQueSeraFeito;
  std::vector<TItemCampo> Itens;
  vyn::TLabel* lbSaibaMais;
  vyn::TButtonControl* lbLink;
};

}  // namespace integracao
