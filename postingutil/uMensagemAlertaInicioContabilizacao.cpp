#include "postingutil/uMensagemAlertaInicioContabilizacao.h"

#include "framework/core/text.h"
#include "framework/ui/control.h"

namespace integracao {

using namespace vyn;

TfrMensagemAlertaInicioContabilizacao::TfrMensagemAlertaInicioContabilizacao(TComponent* owner)
    : TfrMensagemAlertaProcesso(owner, "TfrProcessoDefineInicioContabilizacao") {
  SetCaption("Definição do início da contabilização on-line (Atenção)");
  lbAtencao = Texto("Atenção", "lbAtencao");
  lbOQueSeraFeito = Texto("O que será feito neste processo:", "lbOQueSeraFeito");
  struct {
    const char* campo;
    const char* linha1;
    const char* linha2;
  } const campos[] = {
      {"Data de início da contabilização:", "Marca a data de  início da contabilização online, ou seja,",
       "lançamentos anteriores a data informada de integração online serão excluídos."},
      {"Não contabilizar baixas de parcelamento a partir de:", "Lançamentos de baixa de parcelamento ",
       "efetuados após a data informada, não serão contabilizados."},
      {"Não contabilizar baixas de operações imobiliárias a partir de:", "Lançamentos de baixa de ",
       "operações imobiliárias efetuados após a data informada, não serão contabilizados."},
      {"Não contabilizar baixas de impostos a partir de:", "Lançamentos de baixa de impostos",
       "efetuados após a data informada, não serão contabilizados."},
  };
  for (const auto& c : campos) Itens.push_back({Texto(c.campo), Texto("->"), Texto(c.linha1), Texto(c.linha2)});
  lbSaibaMais = Texto("Para saber mais sobre o início de contabilização ", "lbSaibaMais");
  lbLink = LinkAjuda("AJUDA_INICIO_CONTABILIZACAO");
}

bool TfrMensagemAlertaInicioContabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrMensagemAlertaInicioContabilizacao") ||
         TfrMensagemAlertaProcesso::InheritsFrom(class_name);
}

}  // namespace integracao
