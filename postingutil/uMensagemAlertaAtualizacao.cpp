#include "postingutil/uMensagemAlertaAtualizacao.h"

#include "framework/core/text.h"
#include "framework/ui/control.h"

namespace integracao {

using namespace vyn;

TfrMensagemAlertaAtualizacao::TfrMensagemAlertaAtualizacao(TComponent* owner)
    : TfrMensagemAlertaProcesso(owner, "TfrAtualizacaoSistema_varku"),
      lbAtencao(Create<TLabel>()),
      lbOQueSeraFeito(Create<TLabel>()),
      lbDescricao(Create<TLabel>()),
      lbObservacoes(Create<TLabel>()) {
  lbAtencao->SetName("lbAtencao");
  lbOQueSeraFeito->SetName("lbOQueSeraFeito");
  lbDescricao->SetName("lbDescricao");
  lbObservacoes->SetName("lbObservacoes");
  SetCaption("Atualização do sistema");
  lbAtencao->SetCaption("Atenção");
  lbOQueSeraFeito->SetCaption("O que será feito neste processo:");
  lbDescricao->SetCaption("Será feito o processo de atualização do sistema para a versão mais atual publicada.");
  lbObservacoes->SetCaption("Observações:");
  for (const char* texto : {"Não é possível reverter o processo já realizado.",
                            "Caso aconteça algum erro contactar a Vyn.",
                            "Este processo pode ser demorado dependendo da quantidade de informações.",
                            "Todos os usuários devem estar fora do sistema para que a atualização seja feita."}) {
    TLabel* l = Create<TLabel>();
    l->SetName("lbItensObservacao" + std::to_string(lbItensObservacao.size() + 1));
    l->SetCaption(texto);
    lbItensObservacao.push_back(l);
  }
}

bool TfrMensagemAlertaAtualizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrMensagemAlertaAtualizacao") || TfrMensagemAlertaProcesso::InheritsFrom(class_name);
}

}  // namespace integracao
