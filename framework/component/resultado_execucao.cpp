#include "framework/component/resultado_execucao.h"

#include "framework/component/process_context.h"

namespace vyn {

void TResultadoExecucao::RegistraInconsistencia(const std::string& mensagem) {
  Inconsistencias.push_back(mensagem);
  Mensagem = mensagem;
}

void TResultadoExecucao::RegistraFalha(const std::string& mensagem) {
  if (Falha.empty()) Falha = mensagem.empty() ? std::string("Erro desconhecido") : mensagem;
  Mensagem = mensagem;
}

TResultadoExecucao* ResultadoExecucao() { return ProcessContext().ResultadoAberto; }

TEscopoResultadoExecucao::TEscopoResultadoExecucao(TResultadoExecucao& resultado)
    : aberto_(ProcessContext().ResultadoAberto, &resultado) {}

std::string MensagemExecucao() {
  const TResultadoExecucao* r = ResultadoExecucao();
  return r ? r->Mensagem : std::string();
}

void RegistraMensagemExecucao(const std::string& mensagem) {
  if (TResultadoExecucao* r = ResultadoExecucao()) r->RegistraMensagem(mensagem);
}

void RegistraInconsistenciaExecucao(const std::string& mensagem) {
  if (TResultadoExecucao* r = ResultadoExecucao()) r->RegistraInconsistencia(mensagem);
}

void RegistraFalhaExecucao(const std::string& mensagem) {
  if (TResultadoExecucao* r = ResultadoExecucao()) r->RegistraFalha(mensagem);
}

void RegistraContagemExecucao(const TContagemImportacao& contagem) {
  if (TResultadoExecucao* r = ResultadoExecucao()) r->Contagem += contagem;
}

}  // namespace vyn
