#include "framework/component/resultado_execucao.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"

namespace vyn {
namespace {

TEST(ValorTemporario, TheValueTheStretchFoundComesBackAlsoWhenItRaises) {
  ProcessContext().WP_RETAINSERVERORDER = false;
  try {
    TValorTemporario<bool> retem(ProcessContext().WP_RETAINSERVERORDER, true);
    EXPECT_TRUE(ProcessContext().WP_RETAINSERVERORDER);
    throw std::runtime_error("falha");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(ProcessContext().WP_RETAINSERVERORDER);
}

TEST(ResultadoExecucao, ReportsReachTheInnermostOpenRunAndNothingOutsideOne) {
  RegistraInconsistenciaExecucao("fora de uma execução");
  EXPECT_EQ(ResultadoExecucao(), nullptr);

  TResultadoExecucao externo;
  TEscopoResultadoExecucao abertoExterno(externo);
  try {
    TResultadoExecucao interno;
    TEscopoResultadoExecucao abertoInterno(interno);
    RegistraFalhaExecucao("primeira");
    RegistraFalhaExecucao("segunda");
    EXPECT_EQ(interno.Falha, "primeira");
    EXPECT_EQ(interno.Mensagem, "segunda");
    throw std::runtime_error("falha");
  } catch (const std::runtime_error&) {
  }
  RegistraInconsistenciaExecucao("do externo");
  EXPECT_TRUE(externo.Falha.empty());
  EXPECT_EQ(externo.Inconsistencias, (std::vector<std::string>{"do externo"}));
  EXPECT_EQ(MensagemExecucao(), "do externo");
}

}  // namespace
}  // namespace vyn
