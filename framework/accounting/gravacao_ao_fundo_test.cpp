#include "framework/accounting/gravacao_ao_fundo.h"

#include <csignal>
#include <thread>

#include <gtest/gtest.h>

#include "framework/component/interrupcao.h"
#include "framework/component/process_context.h"

namespace vyn {
namespace {

struct TSinalDoTeste {
  explicit TSinalDoTeste(int sinal) { ProcessContext().SinalInterrupcao = sinal; }
  ~TSinalDoTeste() { ProcessContext().SinalInterrupcao = 0; }
};

// A signal while a review stages its file behind it, or while the staged rows of a closed review are
// removed: the staging ends as interrupted (never "erro desconhecido"), and the removal, a clean-up the
// host waits for, runs to its end instead of ending the process.
TEST(InterrupcaoAoFundoTest, ASignalInterruptsTheStagingButNotTheCleanUpThread) {
  const TSinalDoTeste sinal(SIGTERM);
  TGravacaoAoFundo gravacao([](TGravacaoAoFundo&, std::stop_token) -> TDesfechoLeituraTxt {
    VerificaInterrupcao();
    return {};
  });
  gravacao.Aguarda();
  EXPECT_TRUE(gravacao.Interrompida());
  EXPECT_EQ(gravacao.Falha(), "");

  bool limpou = false;
  std::thread limpeza([&limpou] {
    TLimpezaSemInterrupcao ateOFim;
    VerificaInterrupcao();
    limpou = true;
  });
  limpeza.join();
  EXPECT_TRUE(limpou);
  EXPECT_THROW(VerificaInterrupcao(), EInterrupcao);   // the run's own thread still ends
}

}  // namespace
}  // namespace vyn
