#include "framework/component/interrupcao.h"

#include <pthread.h>

#include <csignal>
#include <exception>
#include <string>

#include "framework/component/process_context.h"

namespace vyn {

namespace {

void NotaSinal(int sinal) {
  TProcessContext& ctx = ProcessContext();
  if (ctx.SinalInterrupcao != 0) {
    // The run did not stop at the first request: the second one is the system's.
    std::signal(sinal, SIG_DFL);
    std::raise(sinal);
    return;
  }
  ctx.SinalInterrupcao = sinal;
}

}  // namespace

EInterrupcao::EInterrupcao(int sinal)
    : sinal_(sinal),
      mensagem_("Execução interrompida pelo sinal " + std::to_string(sinal) + " (" +
                (sinal == SIGINT ? "SIGINT" : sinal == SIGTERM ? "SIGTERM" : "?") + ").") {}

namespace {
sigset_t SinaisInterrupcao() {
  sigset_t s;
  sigemptyset(&s);
  sigaddset(&s, SIGINT);
  sigaddset(&s, SIGTERM);
  return s;
}
}  // namespace

void ReservaSinaisInterrupcao() {
  const sigset_t s = SinaisInterrupcao();
  pthread_sigmask(SIG_BLOCK, &s, nullptr);
}

void InstalaTratadorInterrupcao() {
  ProcessContext();
  struct sigaction sa = {};
  sa.sa_handler = NotaSinal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  const sigset_t s = SinaisInterrupcao();
  pthread_sigmask(SIG_UNBLOCK, &s, nullptr);
}

int SinalInterrupcao() { return ProcessContext().SinalInterrupcao; }

namespace {
thread_local int limpezaDaThread = 0;
}  // namespace

TLimpezaSemInterrupcao::TLimpezaSemInterrupcao() { ++limpezaDaThread; }
TLimpezaSemInterrupcao::~TLimpezaSemInterrupcao() { --limpezaDaThread; }

void VerificaInterrupcao() {
  const TProcessContext& ctx = ProcessContext();
  if (ctx.SinalInterrupcao == 0 || ctx.InterrupcaoSuspensa > 0 || limpezaDaThread > 0 || ctx.ExecucaoConcluida ||
      std::uncaught_exceptions() > 0)
    return;
  throw EInterrupcao(ctx.SinalInterrupcao);
}

TSemInterrupcao::TSemInterrupcao() { ++ProcessContext().InterrupcaoSuspensa; }
TSemInterrupcao::~TSemInterrupcao() { --ProcessContext().InterrupcaoSuspensa; }

void TExecucaoConcluida::Marca() { ProcessContext().ExecucaoConcluida = true; }
void TExecucaoConcluida::Reabre() { ProcessContext().ExecucaoConcluida = false; }
bool TExecucaoConcluida::Marcada() { return ProcessContext().ExecucaoConcluida; }

}  // namespace vyn
