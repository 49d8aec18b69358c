#pragma once
// The "automatic transaction" switch of the entry-import screens: a toolbar button whose Tag and
// pressed state say whether the import generates transaction links.
namespace vyn {

class TSpeedButton;

// A click: Tag 0 becomes 1 and pressed, Tag 1 becomes 0 and released; then the hint follows.
void AlternaTransacaoAutomatica(TSpeedButton& botao);
// "Transação automática - Ativada" while pressed, "Transação automática - Desativada" otherwise.
void AtualizaHintTransacaoAutomatica(TSpeedButton& botao);

}  // namespace vyn
