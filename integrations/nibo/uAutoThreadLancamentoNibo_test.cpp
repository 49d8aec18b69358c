#include <gtest/gtest.h>

#include "framework/core/text.h"
#include "framework/host/erro_exception.h"
#include "integrations/nibo/nibo_test_support.h"
#include "integrations/nibo/uAutoThreadLancamentoContabilNibo.h"
#include "integrations/nibo/uAutoThreadLancamentoServicoNibo.h"

namespace integracao {
namespace {

using namespace vyn;

class NiboTasksTest : public NiboDatabaseTest {
 protected:
  void SetUp() override {
    NiboDatabaseTest::SetUp();
    ProcessContext().WP_AGENDAMENTO = 5;
    ProcessContext().WP_PLANO_TARVO = 2;
    ProcessContext().WP_ORDEM_AGENDAMENTO = 1;
    Db().Execute("insert into VSH_EMP_TLISTA_PROCESSOS (BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, "
                 "BDORDEMAGENDAMENTO, BDCODSTATUS) values (5, 1, 2, 1, 1)");
    server_.On("POST", "/oauth/token", TFakeResponse(200, R"({"access_token":"tk-1"})"));
    Entradas("L,1,05/01/2024,40,11,100\n");
    server_.On("GET", "/empresas/emp-1/notas-servico", TFakeResponse(200, R"({"notas":[]})"));
  }
  void TearDown() override {
    ProcessContext().WP_AGENDAMENTO = ProcessContext().WP_PLANO_TARVO = ProcessContext().WP_ORDEM_AGENDAMENTO = 0;
    NiboDatabaseTest::TearDown();
  }
  void Entradas(const std::string& texto) {
    nlohmann::json j = {{"arquivo", texto}};
    server_.On("GET", "/empresas/emp-1/lancamentos-contabeis", TFakeResponse(200, j.dump()));
  }
  template <class T>
  std::string Executa(T& task, bool plano = true) {
    task.Sleeper = [](std::chrono::milliseconds) {};
    task.SetParametro("cod_empresa", "1");
    task.SetParametro("referencia", "202401");
    if (plano) task.SetParametro("edCODPLATROCAINT", "0");
    try {
      task.ExecuteTask();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "";
  }
  TQueryResult Conferencia() {
    return Db().QueryAll("select BDCODSTATUS, BDINCONSISTENCIA from VSH_EMP_TCONF_IMPORTACOES where "
                         "BDCODAGENDAMENTO = 5 and BDCODEMP = 1 and BDTIPOCONFERENCIA = 5");
  }
};

TEST_F(NiboTasksTest, EntriesTaskImportsUnattendedAndJudgesTheRun) {
  TAutoThreadLancamentoContabilNibo task;
  EXPECT_EQ(Executa(task), "");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 1);
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 1);
  EXPECT_EQ(task.StatusExecucao(), tscSucesso) << task.MensagemExecucao();
  EXPECT_EQ(task.LogTarvo().back(), "Processo finalizado");

  // The same schedule key again: the imported row of the run before is not this run's.
  Entradas("L,1,05/01/2024,999,11,3\n");
  TAutoThreadLancamentoContabilNibo inconsistente;
  EXPECT_EQ(Executa(inconsistente), "Nenhuma lançamento importado, foram encontradas inconsistencias");
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(Conferencia().Value(0, "BDINCONSISTENCIA").AsString(),
            "Nenhum lançamento importado, foram encontradas inconsistencias");

  // Nibo unreachable after every attempt: nothing found.
  server_.On("POST", "/oauth/token", TFakeResponse(502, "{}"));
  TAutoThreadLancamentoContabilNibo falha;
  EXPECT_EQ(Executa(falha), "Nenhuma lançamento encontrado");
  EXPECT_EQ(falha.StatusExecucao(), tscErro);
}

TEST_F(NiboTasksTest, EntriesTaskRunAgainOverAPostedMonthPostsNothingAndSaysSo) {
  TAutoThreadLancamentoContabilNibo primeira;
  EXPECT_EQ(Executa(primeira), "");
  TAutoThreadLancamentoContabilNibo segunda;
  EXPECT_EQ(Executa(segunda), "");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 1);
  EXPECT_EQ(segunda.StatusExecucao(), tscSucesso) << segunda.MensagemExecucao();
  EXPECT_EQ(ProcessContext().FMensagemInconsistencia,
            "Importação finalizada: 0 lançamento(s) importado(s), 0 não importado(s), 1 já lançado(s) anteriormente.");
}

TEST_F(NiboTasksTest, EntriesTaskWithoutPlanParameterFailsAfterItsStartRow) {
  TAutoThreadLancamentoContabilNibo task;
  EXPECT_NE(Executa(task, false).find("is not a valid integer value"), std::string::npos);
  ASSERT_EQ(Conferencia().Rows.size(), 1u);
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(NiboTasksTest, ServiceTaskQueuesTheDocumentsOrFailsWhenThereAreNone) {
  TAutoThreadLancamentoServicoNibo vazio;
  EXPECT_EQ(Executa(vazio), "Nenhuma lançamento importado, não existe lançamento para essa empresa nessa referência");
  EXPECT_EQ(Db().QueryValue("select BDCODSTATUS from VSH_EMP_TLISTA_PROCESSOS").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("select BDCODSTATUS from VSH_EMP_TCONF_EXECUCAO where BDCODAGENDAMENTO = 5").AsInteger(), 5);
  // The run's outcome in memory agrees with its row.
  EXPECT_EQ(vazio.StatusExecucao(), tscErro);
  EXPECT_EQ(vazio.MensagemExecucao(),
            "Nenhuma lançamento importado, não existe lançamento para essa empresa nessa referência");

  server_.On("GET", "/empresas/emp-1/notas-servico", TFakeResponse(200, R"({"notas":[{"numero":"7","xml":"<x/>"}]})"));
  TAutoThreadLancamentoServicoNibo task;
  EXPECT_EQ(Executa(task), "");
  EXPECT_EQ(task.StatusExecucao(), tscSucesso);
  auto r = Db().QueryAll("select BDCODSTATUS, BDDESCPROCESSO from VSH_EMP_TLISTA_PROCESSOS");
  EXPECT_EQ(r.Value(0, "BDCODSTATUS").AsInteger(), 3);
  EXPECT_EQ(r.Value(0, "BDDESCPROCESSO").AsString(),
            "Processo realizado com sucesso, as notas foram adicionadas na fila de importação.");
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_TFILA_IMPORTACAO_EF").AsInteger(), 1);
  EXPECT_EQ(task.LogTarvo().back(), "Processo finalizado - Enviado a list");
  // The queue took the documents' content: no document file stays behind the run.
  EXPECT_EQ(programa_.ArquivosTemp(), 0);

  // The same month again: the queue held the document, and the row does not say it was added.
  TAutoThreadLancamentoServicoNibo outra;
  EXPECT_EQ(Executa(outra), "");
  EXPECT_EQ(Db().QueryValue("select BDDESCPROCESSO from VSH_EMP_TLISTA_PROCESSOS").AsString(),
            "Processo realizado com sucesso, nenhuma nota nova: as notas da referência já estavam na fila de "
            "importação.");
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_TFILA_IMPORTACAO_EF").AsInteger(), 1);
}

TEST_F(NiboTasksTest, ServiceDocumentsEnterTheQueueOnceAcrossRunsByKeyIdOrText) {
  server_.On("GET", "/empresas/emp-1/notas-servico",
             TFakeResponse(200, R"({"notas":[{"numero":"7","xml":"<a/>","chave":"3524NFSE7"},)"
                                R"({"numero":"8","xml":"<b/>","id":"n-8"},{"numero":"9","xml":"<c/>"}]})"));
  for (int run = 0; run < 2; ++run) {
    TAutoThreadLancamentoServicoNibo task;
    EXPECT_EQ(Executa(task), "");
  }
  auto fila = Db().QueryAll("select BDIDENTIFICADOR from VEF_TFILA_IMPORTACAO_EF order by BDID");
  ASSERT_EQ(fila.Rows.size(), 3u);
  EXPECT_EQ(fila.Value(0, "BDIDENTIFICADOR").AsString(), "3524NFSE7");
  EXPECT_EQ(fila.Value(1, "BDIDENTIFICADOR").AsString(), "nibo:n-8");
  EXPECT_TRUE(StartsWithText(fila.Value(2, "BDIDENTIFICADOR").AsString(), "conteudo:"));
  // A changed number of a known document does not make it another one.
  server_.On("GET", "/empresas/emp-1/notas-servico",
             TFakeResponse(200, R"({"notas":[{"numero":"8-B","xml":"<b2/>","id":"n-8"}]})"));
  TAutoThreadLancamentoServicoNibo outra;
  EXPECT_EQ(Executa(outra), "");
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_TFILA_IMPORTACAO_EF").AsInteger(), 3);
}

}  // namespace
}  // namespace integracao
