#include "postingutil/uMensagemAlertaRecontabilizacao.h"

#include "framework/core/text.h"
#include "framework/ui/control.h"

namespace integracao {

using namespace vyn;

TfrMensagemAlertaRecontabilizacao::TfrMensagemAlertaRecontabilizacao(TComponent* owner)
    : TfrMensagemAlertaProcesso(owner, "TfrProcessoRecontabilizacao") {
  SetCaption("Processo de recontabilização (Atenção)");
  lbAtencao = Texto("Atenção", "lbAtencao");
  for (const char* texto :
       {"O processo somente será efetuado na empresa matriz, e as filiais serão recontabilizadas neste processo de matriz.",
        "Em caso de cancelamento do processo, não haverá alteração dos dados.",
        "Este processo pode ser demorado dependendo da quantidade de informações.",
        "Poderá efetuar a recontabilização apenas para o período posterior ao último encerramento contábil.",
        "Não é possível reverter o processo já realizado."})
    lbItensAtencao.push_back(Texto(texto));
  lbOQueSeraFeito = Texto("O que será feito neste processo:", "lbOQueSeraFeito");
  lbDescricao =
      Texto("Serão excluídos e recriados os lançamentos contábeis originados de integração online.", "lbDescricao");
  lbObservacoes = Texto("Observações:", "lbObservacoes");
  lbSaibaMais = Texto("Para saber mais sobre a recontabilização ", "lbSaibaMais");
  lbLink = LinkAjuda("AJUDA_RECONTABILIZACAO");
}

bool TfrMensagemAlertaRecontabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrMensagemAlertaRecontabilizacao") || TfrMensagemAlertaProcesso::InheritsFrom(class_name);
}

}  // namespace integracao
