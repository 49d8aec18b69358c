#include "framework/component/process_context.h"

namespace vyn {

TProcessContext& ProcessContext() {
  static TProcessContext context;
  return context;
}

void RegistraInconsistenciaExecucao(const std::string& mensagem) {
  TProcessContext& ctx = ProcessContext();
  ctx.FInconsistenciasExecucao.push_back(mensagem);
  ctx.FMensagemInconsistencia = mensagem;
}

void RegistraFalhaExecucao(const std::string& mensagem) {
  TProcessContext& ctx = ProcessContext();
  if (ctx.FFalhaExecucao.empty()) ctx.FFalhaExecucao = mensagem.empty() ? std::string("Erro desconhecido") : mensagem;
  ctx.FMensagemInconsistencia = mensagem;
}

}  // namespace vyn
