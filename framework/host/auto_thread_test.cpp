#include "framework/host/auto_thread.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "testing/company_db.h"
#include "framework/host/publicas.h"
#include "framework/host/update_or_insert.h"
#include "framework/ui/dialogs.h"

namespace vyn {
namespace {

// Writes its conference row as the import tasks do, then fails, records what it found or leaves a
// result message; it reads its run's row as it starts.
class TAutoThreadTeste : public TAutoThreadPushPadrao {
 public:
  using TAutoThreadPushPadrao::TAutoThreadPushPadrao;
  std::string ClassName() const override { return "TAutoThreadTeste"; }
  std::string Falha;          // raised
  std::string FalhaRelatada;  // reported without raising
  std::string Inconsistencia;
  TTipoStatusConferencia Conferencia = tscSucesso;
  std::string MensagemFinal;
  std::vector<Variant> RowNoInicio;

 protected:
  void Execute() override {
    TAutoThreadPushPadrao::Execute();
    const TQueryResult r = ProcessoInfo().Database->QueryAll(
        "SELECT BDCODSTATUS, BDINCONSISTENCIA FROM VSH_EMP_TCONF_EXECUCAO WHERE BDCODEMP = 12");
    if (!r.Rows.empty()) RowNoInicio = r.Rows[0];
    GravarLogTarvo("Iniciando o processo...");
    InsereConferenciaImportacoes(6, tscSucesso, "");
    if (!Falha.empty()) throw std::runtime_error(Falha);
    if (Conferencia != tscSucesso) InsereConferenciaImportacoes(6, Conferencia, "Conferência da importação");
    if (!Inconsistencia.empty()) RegistraInconsistenciaExecucao(Inconsistencia);
    if (!FalhaRelatada.empty()) RegistraFalhaExecucao(FalhaRelatada);
    if (!MensagemFinal.empty()) RegistraMensagemExecucao(MensagemFinal);
    GravarLogTarvo("Processo finalizado");
  }
};

class AutoThreadTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    ProcessContext().WP_AGENDAMENTO = 7;
    ProcessContext().WP_PLANO_TARVO = 3;
    ProcessContext().WP_ORDEM_AGENDAMENTO = 2;
  }
  Variant Status(const char* table, const char* column = "BDCODSTATUS") {
    return Db().QueryValue(std::string("SELECT ") + column + " FROM " + table +
                           " WHERE BDCODAGENDAMENTO = 7 AND BDCODEMP = 12 AND BDCODPLANOTARVO = 3 AND "
                           "BDORDEMAGENDAMENTO = 2");
  }
};

TEST_F(AutoThreadTest, TaskThatRaisesLeavesStatusFiveEverywhereAndRaisesAgain) {
  TComponent dono;
  ClassRegistry().RegisterClass<TAutoThreadTeste>("TAutoThreadTeste", TClassKind::Task);
  auto* task = dynamic_cast<TAutoThreadTeste*>(ClassRegistry().CreateComponent("tautothreadteste", dono));
  ClassRegistry().UnRegisterClass("TAutoThreadTeste");
  ASSERT_NE(task, nullptr);
  EXPECT_EQ(task->Owner(), &dono);
  task->SetParametro("cod_empresa", "12");
  task->Falha = "Falha na ^Importação d'água";
  Db().StartTransaction();  // work left open by the failed run is rolled back, not committed
  Db().Execute("INSERT INTO TBLOQUEIO_LANCAMENTO VALUES (1, 12, 'x', '2024-01-01', '2024-01-31', NULL)");

  EXPECT_THROW(task->ExecuteTask(), std::runtime_error);

  EXPECT_FALSE(Db().InTransaction());
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TBLOQUEIO_LANCAMENTO").AsInteger(), 0);
  EXPECT_EQ(task->StatusExecucao(), tscErro);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO").AsInteger(), 5);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO", "BDINCONSISTENCIA").AsString(), "Falha na Importação d'água");
  EXPECT_EQ(Status("VSH_EMP_TCONF_IMPORTACOES").AsInteger(), 5) << "no success row behind a failure";
  EXPECT_EQ(Status("VSH_EMP_TCONF_IMPORTACOES", "BDTIPOCONFERENCIA").AsInteger(), 6);
  EXPECT_EQ(task->LogTarvo().front(), "Iniciando o processo...");
  EXPECT_EQ(task->LogTarvo().back(), "Falha na Importação d'água");
}

// Works in a transaction of its own; it fails inside it, or forgets to end it.
class TAutoThreadTransacao : public TAutoThreadPadrao {
 public:
  std::string ClassName() const override { return "TAutoThreadTransacao"; }
  bool Falha = false;

 protected:
  void Execute() override {
    ProcessoInfo().Database->StartTransaction();
    GravarLogTarvo("Gravando o bloqueio");
    InsereConferenciaImportacoes(5, tscSucesso, "");
    ProcessoInfo().Database->Execute(
        "INSERT INTO TBLOQUEIO_LANCAMENTO VALUES (1, 12, 'x', '2024-01-01', '2024-01-31', NULL)");
    if (Falha) throw std::runtime_error("Falha no meio");
  }
};

TEST_F(AutoThreadTest, StatusAndLogOutliveTheTasksUnfinishedTransaction) {
  TAutoThreadTransacao task;
  task.SetParametro("cod_empresa", "12");
  try {
    task.ExecuteTask();
    ADD_FAILURE() << "a transaction left open passed as success";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "A tarefa terminou com uma transação aberta; nada foi gravado.");
  }
  EXPECT_FALSE(Db().InTransaction());
  EXPECT_EQ(task.StatusExecucao(), tscErro);

  task.Falha = true;
  task.SetParametro("cod_empresa", "13");
  EXPECT_THROW(task.ExecuteTask(), std::runtime_error);

  // What another attachment sees: committed rows only.
  auto outra = Company().OpenAnother();
  EXPECT_EQ(outra->QueryValue("SELECT COUNT(*) FROM TBLOQUEIO_LANCAMENTO").AsInteger(), 0);
  TQueryResult r = outra->QueryAll(
      "SELECT E.BDCODEMP, E.BDCODSTATUS, E.BDINCONSISTENCIA, I.BDCODSTATUS AS CONF FROM VSH_EMP_TCONF_EXECUCAO E "
      "JOIN VSH_EMP_TCONF_IMPORTACOES I ON I.BDCODEMP = E.BDCODEMP AND I.BDTIPOCONFERENCIA = 5 ORDER BY 1");
  ASSERT_EQ(r.Rows.size(), 2u);
  EXPECT_EQ(r.Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(r.Value(0, "BDINCONSISTENCIA").AsString(), "A tarefa terminou com uma transação aberta; nada foi gravado.");
  EXPECT_EQ(r.Value(0, "CONF").AsInteger(), 5);
  EXPECT_EQ(r.Value(1, "BDINCONSISTENCIA").AsString(), "Falha no meio");
  EXPECT_EQ(r.Value(1, "CONF").AsInteger(), 5);
  r = outra->QueryAll("SELECT BDTEXTO FROM VSH_EMP_TLOG_TARVO WHERE BDCODEMP = 13 ORDER BY BDID");
  ASSERT_EQ(r.Rows.size(), 2u);
  EXPECT_EQ(r.Rows[0][0].AsString(), "Gravando o bloqueio");
  EXPECT_EQ(r.Rows[1][0].AsString(), "Falha no meio");
}

TEST_F(AutoThreadTest, StatusFollowsOnlyWhatThisRunRecorded) {
  TAutoThreadTeste task;
  task.SetParametro("COD_EMPRESA", "12");
  const std::string fim = "Importação finalizada: 3 lançamento(s) importado(s), 0 não importado(s).";
  // An end message is a run that did its work.
  task.MensagemFinal = fim;
  task.ExecuteTask();
  EXPECT_EQ(task.StatusExecucao(), tscSucesso);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO").AsInteger(), 1);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO", "BDINCONSISTENCIA").AsString(), fim);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VSH_EMP_TLOG_TARVO WHERE BDCODEMP = 12").AsInteger(), 2);

  // A recorded inconsistency is status 2 with its own text (cut to the column), whatever ends the run.
  task.Inconsistencia = std::string(250, 'a') + "ç";
  task.ExecuteTask();
  EXPECT_EQ(task.StatusExecucao(), tscInconsistente);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO").AsInteger(), 2);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO", "BDINCONSISTENCIA").AsString(), std::string(200, 'a'));
  // The printed result keeps the end message and names what was inconsistent.
  EXPECT_EQ(ProcessContext().FMensagemInconsistencia, fim + " " + task.Inconsistencia);
  // So is a conference row of status 2 (the last text recorded wins); text WIN1252 cannot hold still
  // arrives.
  task.Inconsistencia = "falhou \xF0\x9F\x98\x80 ok";
  task.Conferencia = tscInconsistente;
  task.ExecuteTask();
  EXPECT_EQ(task.StatusExecucao(), tscInconsistente);
  EXPECT_EQ(Status("VSH_EMP_TCONF_IMPORTACOES").AsInteger(), 2);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO", "BDINCONSISTENCIA").AsString(), "falhou ? ok");

  // The next run of the same key starts from a clean row and is judged on its own record.
  task.Inconsistencia.clear();
  task.Conferencia = tscSucesso;
  task.MensagemFinal = fim;
  task.ExecuteTask();
  // While it runs (and for ever, if it is killed) the row reads as a run that did not finish.
  ASSERT_EQ(task.RowNoInicio.size(), 2u);
  EXPECT_EQ(task.RowNoInicio[0].AsInteger(), 5);
  EXPECT_EQ(task.RowNoInicio[1].AsString(), "Execução iniciada e não concluída.")
      << "the start row kept the earlier run's text";
  EXPECT_EQ(task.StatusExecucao(), tscSucesso);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO").AsInteger(), 1);
  EXPECT_EQ(Status("VSH_EMP_TCONF_IMPORTACOES").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VSH_EMP_TCONF_EXECUCAO").AsInteger(), 1);
}

TEST_F(AutoThreadTest, AReportedFailureIsStatusFiveEvenAfterAnEndMessage) {
  TAutoThreadTeste task;
  task.SetParametro("cod_empresa", "12");
  task.Inconsistencia = "Conta 999 não encontrada";
  task.FalhaRelatada = "A importação foi cancelada e nada foi gravado: disco cheio";
  task.MensagemFinal = "Importação finalizada: 0 lançamento(s) importado(s), 0 não importado(s).";
  EXPECT_NO_THROW(task.ExecuteTask());
  EXPECT_EQ(task.StatusExecucao(), tscErro);
  EXPECT_EQ(task.MensagemExecucao(), task.FalhaRelatada);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO").AsInteger(), 5);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO", "BDINCONSISTENCIA").AsString(), task.FalhaRelatada);
  EXPECT_EQ(Status("VSH_EMP_TCONF_IMPORTACOES").AsInteger(), 5) << "no success row behind a failure";
  EXPECT_EQ(task.LogTarvo().back(), task.FalhaRelatada);
  EXPECT_EQ(ProcessContext().FMensagemInconsistencia, task.MensagemFinal + " " + task.FalhaRelatada)
      << "the end message hid the failure";

  // A conference row the task marked failed fails the run with the task's own wording.
  task.Inconsistencia.clear();
  task.FalhaRelatada.clear();
  task.Conferencia = tscErro;
  task.ExecuteTask();
  EXPECT_EQ(task.StatusExecucao(), tscErro);
  EXPECT_EQ(Status("VSH_EMP_TCONF_EXECUCAO", "BDINCONSISTENCIA").AsString(), "Conferência da importação");
}

TEST_F(AutoThreadTest, ParametersAndRunCompany) {
  TAutoThreadPadrao task;
  EXPECT_EQ(task.GetParametro("referencia"), "");
  task.SetParametro("ckLimitaHist", "True");
  EXPECT_EQ(task.GetParametro("CKLIMITAHIST"), "True");
  ProcessContext().CurrentCompany = 4;
  EXPECT_EQ(task.EmpresaExecucao(), 4);
  task.SetParametro("cod_empresa", "12x");
  EXPECT_EQ(task.EmpresaExecucao(), 4);
  task.SetParametro("cod_empresa", " 12 ");
  EXPECT_EQ(task.EmpresaExecucao(), 12);
  EXPECT_TRUE(task.Parametros.is_object());
  TProcessoVarku& info = task.ProcessoInfo();
  EXPECT_EQ(&info, &ProcessContext());
  EXPECT_TRUE(TAutoThreadPushPadrao().InheritsFrom("tautothreadpadrao"));
}

TEST_F(AutoThreadTest, DialogInsideATaskIsAFailure) {
  struct TAsks : TAutoThreadPadrao {
    void Execute() override { DlgInfOk("Pergunta"); }
  } task;
  EXPECT_THROW(task.ExecuteTask(), EDialogInUnattendedRun);
  EXPECT_EQ(task.StatusExecucao(), tscErro);
}

TEST(UpdateOrInsert, BindsValuesAndRefusesSplicedNames) {
  TComandoSQL c = getUpdateOrInsert_VYN("T", {"A", "B", "C"}, {1, "x'); DROP TABLE T; --",
                                        TSQLValor::Expressao("current_timestamp")}, {"A"});
  EXPECT_EQ(c.SQL, "UPDATE OR INSERT INTO T (A, B, C) VALUES (?, ?, CURRENT_TIMESTAMP) MATCHING (A)");
  ASSERT_EQ(c.Params.size(), 2u);
  EXPECT_THROW(getUpdateOrInsert_VYN("T; DROP", {"A"}, {1}, {"A"}), std::invalid_argument);
  EXPECT_THROW(getUpdateOrInsert_VYN("T", {"A"}, {1}, {"B"}), std::invalid_argument);
  EXPECT_THROW(getUpdateOrInsert_VYN("T", {"A", "B"}, {1}, {"A"}), std::invalid_argument);
  EXPECT_THROW(TSQLValor::Expressao("1); DELETE FROM T"), std::invalid_argument);
}

TEST_F(AutoThreadTest, ReferenciaFollowsIntoTheDatabaseSession) {
  TPublicas::SetReferencia(202403);
  EXPECT_EQ(TPublicas::GetReferencia(), 202403);
  EXPECT_EQ(Db().SessionReferencia(), 202403);
  EXPECT_THROW(TPublicas::SetReferencia(202413), std::invalid_argument);
  EXPECT_EQ(TPublicas::GetReferencia(), 202403);
}

TEST(StatusDoResultado, AFailureOutweighsInconsistenciesAndAnEndMessageAloneIsSuccess) {
  TResultadoExecucao r;
  r.RegistraMensagem("Importação finalizada: 3 lançamento(s) importado(s)");
  EXPECT_EQ(StatusDoResultado(r).Status, tscSucesso);
  EXPECT_EQ(StatusDoResultado(r).Mensagem, r.Mensagem);
  r.RegistraInconsistencia("primeira");
  r.RegistraInconsistencia("última");
  r.RegistraMensagem("Importação finalizada");
  EXPECT_EQ(StatusDoResultado(r).Status, tscInconsistente);
  EXPECT_EQ(StatusDoResultado(r).Mensagem, "última");
  r.RegistraFalha("");
  EXPECT_EQ(StatusDoResultado(r).Status, tscErro);
  EXPECT_EQ(StatusDoResultado(r).Mensagem, "Erro desconhecido");
}

TEST(ReferenciaTemporaria, TheMonthARunFoundComesBackWhenItRaises) {
  TPublicas::SetReferencia(202401);
  try {
    TReferenciaTemporaria mes;
    mes.Troca(202405);
    EXPECT_EQ(TPublicas::GetReferencia(), 202405);
    throw std::runtime_error("falha");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(TPublicas::GetReferencia(), 202401);
  TPublicas::SetReferencia(0);
}

}  // namespace
}  // namespace vyn
