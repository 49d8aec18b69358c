#include "framework/ui/transacao_automatica.h"

#include "framework/ui/control.h"

namespace vyn {

void AlternaTransacaoAutomatica(TSpeedButton& botao) {
  if (botao.Tag() == 0) {
    botao.SetTag(1);
    botao.Down = true;
  } else {
    botao.SetTag(0);
    botao.Down = false;
  }
  AtualizaHintTransacaoAutomatica(botao);
}

void AtualizaHintTransacaoAutomatica(TSpeedButton& botao) {
  botao.SetHint(botao.Down ? "Transação automática - Ativada" : "Transação automática - Desativada");
}

}  // namespace vyn
