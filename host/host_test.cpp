// The host end to end: the built integracao-host runs against a small test module.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/ui/status_processo.h"
#include "host/terminal_progress.h"
#include "testing/processo_host.h"

namespace {

namespace fs = std::filesystem;

using TSaida = vyn::TSaidaProcesso;
using vyn::LeArquivoTexto;

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("integracao_host_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    db_ = (dir_ / "empresa.fdb").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  TSaida Host(const std::string& args, const std::string& env = "") {
    const fs::path out = dir_ / "out.txt", err = dir_ / "err.txt";
    const std::string cmd = env + " '" INTEGRACAO_HOST_EXE "' " + args + " >'" + out.string() + "' 2>'" +
                            err.string() + "' </dev/null";
    const int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, LeArquivoTexto(out), LeArquivoTexto(err)};
  }
  TSaida ComModulo(const std::string& args) {
    return Host("--module '" INTEGRACAO_TEST_MODULE "' --db '" + db_ + "' " + args);
  }
  void CriaBanco() { ASSERT_EQ(Host("init '" + db_ + "' --demo --referencia 202403").Status, 0); }
  std::string Script(const std::string& json) {
    const fs::path p = dir_ / "script.json";
    std::ofstream(p) << json;
    return p.string();
  }

  fs::path dir_;
  std::string db_;
};

TEST_F(HostTest, InitAndListTheModulesClassesByKind) {
  TSaida r = Host("init '" + db_ + "' --demo --referencia 202403");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("configuração online de 03/2024"), std::string::npos);
  {
    vyn::TDatabase db;
    db.Open(db_);
    EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM TEMPRESAS").AsInteger(), 2);
  }
  EXPECT_EQ(Host("init '" + db_ + "'").Status, 2);

  r = ComModulo("list");
  ASSERT_EQ(r.Status, 0) << r.Err;
  // The module's screens beside the platform's stand-ins of other packages' screens.
  EXPECT_NE(r.Out.find("\n  TfrTesteHost\n  TfrTesteMaos\n  TfrTesteModal\nTarefas:\n  TAutoThreadTesteHost\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("Telas:\n  TfrAvisoChecklistECF\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\n  TfrDadosObservacaoDYQ\n"), std::string::npos) << r.Out;

  // The module beside the executable.
  r = Host("list");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("Tarefas:"), std::string::npos);

  r = Host("--module /nao/existe.so list");
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "integracao-host: módulo não encontrado: /nao/existe.so\n");
}

TEST_F(HostTest, TaskOutcomesAndExitStatus) {
  CriaBanco();
  TSaida r = ComModulo("task TAutoThreadTesteHost cod_empresa=1 --params '{\"id\": 5}'");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "Log:\n  Iniciando o processo...\n  id 5\n  Processo finalizado\nStatus: 1 (sucesso) \nMensagem: \n");

  r = ComModulo("task tautothreadtestehost cod_empresa=1 ckAviso=True --agendamento 2");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Out.find("Status: 2 (inconsistente) Aviso de teste\nMensagem: Aviso de teste\n"), std::string::npos);

  r = ComModulo("task TAutoThreadTesteHost cod_empresa=1 modo=erro --agendamento 3");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Out.find("Status: 5 (erro) Falha simulada"), std::string::npos) << r.Out;
  EXPECT_EQ(r.Err, "erro: Falha simulada\n");
  {
    vyn::TDatabase db;
    db.Open(db_);
    EXPECT_EQ(db.QueryValue("SELECT BDCODSTATUS FROM VSH_EMP_TCONF_IMPORTACOES WHERE BDCODAGENDAMENTO = 3")
                  .AsInteger(),
              5);
  }

  // Work left uncommitted is a failure, and its status and log survive the rollback.
  r = ComModulo("task TAutoThreadTesteHost cod_empresa=1 modo=aberta --agendamento 4");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Out.find("Status: 5 (erro) A tarefa terminou com uma transação aberta; nada foi gravado."),
            std::string::npos) << r.Out;
  {
    vyn::TDatabase db;
    db.Open(db_);
    EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM TBLOQUEIO_LANCAMENTO").AsInteger(), 0);
    EXPECT_EQ(db.QueryValue("SELECT BDCODSTATUS FROM VSH_EMP_TCONF_EXECUCAO WHERE BDCODAGENDAMENTO = 4").AsInteger(), 5);
    EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM VSH_EMP_TLOG_TARVO WHERE BDCODAGENDAMENTO = 4").AsInteger(), 3);
  }

  // A stop that comes once the work is done still ends the program, and says so.
  r = ComModulo("task TAutoThreadTesteHost cod_empresa=1 modo=parada_no_fim --agendamento 5");
  EXPECT_EQ(r.Status, 128 + SIGTERM) << r.Out << r.Err;
  EXPECT_NE(r.Err.find("Execução interrompida pelo sinal 15 (SIGTERM)."), std::string::npos) << r.Err;

  // Bad usage: one line, status 2.
  for (const char* args : {"task TNaoExiste", "task TfrTesteHost", "task TAutoThreadTesteHost semigual",
                           "task TAutoThreadTesteHost --params '{x'", "tarefa X"}) {
    r = ComModulo(args);
    EXPECT_EQ(r.Status, 2) << args;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << args << ": " << r.Err;
  }
  r = Host("--module '" INTEGRACAO_TEST_MODULE "' task TAutoThreadTesteHost", "INTEGRACAO_DB='" + db_ + "x'");
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "integracao-host: banco de dados não encontrado: " + db_ + "x\n");
}

// The status row is one per schedule key: a run of the same schedule that starts on another
// workstation once this one has ended writes over it. The host reports its own run, not the row.
TEST_F(HostTest, ARunIsReportedAsItEndedThoughAnotherRunStartedOverItsRow) {
  CriaBanco();
  {
    vyn::TDatabase db;
    db.Open(db_);
    db.Execute("CREATE TRIGGER T_OUTRA_EXECUCAO FOR VSH_EMP_TCONF_EXECUCAO BEFORE UPDATE AS BEGIN"
               " IF (NEW.BDCODSTATUS = 1) THEN BEGIN NEW.BDCODSTATUS = 5; NEW.BDINCONSISTENCIA = 'outra'; END END");
  }
  const TSaida r = ComModulo("task TAutoThreadTesteHost cod_empresa=1 --agendamento 8");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("Status: 1 (sucesso) \nMensagem: \n"), std::string::npos) << r.Out;
  vyn::TDatabase db;
  db.Open(db_);
  EXPECT_EQ(db.QueryValue("SELECT BDCODSTATUS FROM VSH_EMP_TCONF_EXECUCAO WHERE BDCODAGENDAMENTO = 8").AsInteger(), 5);
}

// The module's attachment is the module's: a write of the ledger that did not go through the books' gate
// is refused by the database, the task fails naming the table and the ledger keeps its entries.
TEST_F(HostTest, TheModuleWritesTheBooksOnlyThroughTheGate) {
  CriaBanco();
  const TSaida r = ComModulo("task TAutoThreadTesteHost cod_empresa=1 modo=livros --agendamento 7");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Out.find("Status: 5 (erro) A tabela VZEL_EMPRESAS_TLAN só é gravada pelos livros"), std::string::npos)
      << r.Out;
  vyn::TDatabase db;
  db.Open(db_);
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN").AsInteger(), 3);
}

// A signal ends a long run cleanly: its transaction rolls back, its work file goes, the status row
// says it was interrupted and the host exits 128 + the signal. A second process on the embedded
// database meanwhile is told to use a server.
TEST_F(HostTest, SignalEndsALongRunCleanly) {
  CriaBanco();
  const fs::path pasta = dir_ / "trabalho";
  fs::create_directories(pasta);
  for (int sinal : {SIGTERM, SIGINT}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (!std::freopen((dir_ / "longa.out").c_str(), "w", stdout) ||
          !std::freopen((dir_ / "longa.err").c_str(), "w", stderr))
        ::_exit(127);
      ::execl(INTEGRACAO_HOST_EXE, INTEGRACAO_HOST_EXE, "--module", INTEGRACAO_TEST_MODULE, "--db", db_.c_str(), "task",
              "TAutoThreadTesteHost", "cod_empresa=1", "modo=longa", ("pasta=" + pasta.string()).c_str(),
              "--agendamento", std::to_string(sinal).c_str(), nullptr);
      ::_exit(127);
    }
    for (int i = 0; i < 600 && !fs::exists(pasta / "trabalho.txt"); ++i) ::usleep(50000);
    ASSERT_TRUE(fs::exists(pasta / "trabalho.txt")) << LeArquivoTexto(dir_ / "longa.err");
    if (sinal == SIGTERM) {
      TSaida segundo = ComModulo("task TAutoThreadTesteHost cod_empresa=1");
      EXPECT_EQ(segundo.Status, 2);
      EXPECT_EQ(segundo.Err, "integracao-host: O banco de dados " + db_ +
                                 " já está aberto por outro programa. Várias estações de trabalho precisam de um "
                                 "servidor Firebird: abra-o como host:caminho (por exemplo localhost:" + db_ + ").\n");
    }
    ::kill(pid, sinal);
    // A host that does not end holds the database engine's machine-wide locks: it is ended here.
    int rc = 0;
    pid_t fim = 0;
    for (int i = 0; i < 600 && (fim = ::waitpid(pid, &rc, WNOHANG)) == 0; ++i) ::usleep(50000);
    if (fim == 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &rc, 0);
      FAIL() << "the host did not end after the signal";
    }
    ASSERT_TRUE(WIFEXITED(rc));
    EXPECT_EQ(WEXITSTATUS(rc), 128 + sinal);
    EXPECT_FALSE(fs::exists(pasta / "trabalho.txt"));
    const std::string nome = sinal == SIGINT ? "SIGINT" : "SIGTERM";
    const std::string mensagem = "Execução interrompida pelo sinal " + std::to_string(sinal) + " (" + nome + ").";
    EXPECT_EQ(LeArquivoTexto(dir_ / "longa.err"), "erro: " + mensagem + "\n");
    vyn::TDatabase db;
    db.Open(db_);
    EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM TBLOQUEIO_LANCAMENTO").AsInteger(), 0);
    const vyn::TQueryResult status = db.QueryAll(
        "SELECT BDCODSTATUS, BDINCONSISTENCIA FROM VSH_EMP_TCONF_EXECUCAO WHERE BDCODAGENDAMENTO = ?", {sinal});
    ASSERT_EQ(status.Rows.size(), 1u);
    EXPECT_EQ(status.Value(0, "BDCODSTATUS").AsInteger(), 5);
    EXPECT_EQ(status.Value(0, "BDINCONSISTENCIA").AsString(), mensagem);
  }
}

TEST_F(HostTest, ScreenDrivenByScript) {
  CriaBanco();
  const std::string script = Script(R"({"answers": ["sim"], "steps": [
      {"set": "edCODEMP", "value": 1}, {"set": "ckAviso", "value": true}, {"click": "spOK"},
      {"read": "lbResultado", "expect": "Processado 1"}, {"read": "ckAviso"}]})");
  TSaida r = ComModulo("screen TfrTesteHost --referencia 202403 --script '" + script + "'");
  EXPECT_EQ(r.Status, 1) << r.Err;  // an attention item
  EXPECT_NE(r.Out.find("[Confirmação] Confirma o processo?"), std::string::npos);
  EXPECT_NE(r.Out.find("lbResultado = Processado 1\nckAviso = True\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("Empresa 1:\n  Atenção: Aviso de teste\n"), std::string::npos) << r.Out;
  // A screen that shows its list itself has it printed once.
  r = ComModulo("screen TfrTesteHost --referencia 202403 --script '" +
                Script(R"({"answers": ["sim"], "steps": [{"set": "edCODEMP", "value": 1},
                   {"set": "ckAviso", "value": true}, {"set": "ckMostraLista", "value": true}, {"click": "spOK"}]})") +
                "'");
  EXPECT_EQ(r.Status, 1) << r.Err;
  const size_t primeira = r.Out.find("Aviso de teste");
  ASSERT_NE(primeira, std::string::npos) << r.Out;
  EXPECT_EQ(r.Out.find("Aviso de teste", primeira + 1), std::string::npos) << r.Out;

  const std::string limpo = Script(R"({"answers": ["yes"], "steps": [
      {"set": "edCODEMP", "value": "1"}, {"click": "spOK"}, {"read": "lbResultado", "expect": "Processado 1"}]})");
  r = ComModulo("screen TfrTesteHost --referencia 202403 --script '" + limpo + "'");
  EXPECT_EQ(r.Status, 0) << r.Out << r.Err;

  // A posting lock for the month stops the run with its message in the list.
  {
    vyn::TDatabase db;
    db.Open(db_);
    db.Execute("INSERT INTO TBLOQUEIO_LANCAMENTO VALUES (1, 1, 'frTesteHost', '2024-03-10', '2024-03-20', NULL)");
  }
  r = ComModulo("screen TfrTesteHost --referencia 202403 --script '" + limpo + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Out.find("Erro: Existe bloqueio de lançamentos da empresa 1 no período de 10/03/2024 a 20/03/2024."),
            std::string::npos)
      << r.Out;
  EXPECT_NE(r.Err.find("esperado \"Processado 1\""), std::string::npos) << r.Err;

  r = ComModulo("screen TfrTesteHost --script '" + Script(R"({"steps": [{"click": "spNada"}]})") + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("controle não encontrado: spNada"), std::string::npos);
  EXPECT_EQ(ComModulo("screen TfrTesteHost --script /nao/existe.json").Status, 2);
}

TEST_F(HostTest, AQuestionTheScriptDoesNotAnswerFailsTheStepInsteadOfWaitingForTheTerminal) {
  CriaBanco();
  // Someone keeps typing "s" at the terminal: a script run takes no answer from it.
  const std::string script = Script(R"({"steps": [{"set": "edCODEMP", "value": 1}, {"click": "spOK"},
      {"read": "lbResultado"}]})");
  const fs::path out = dir_ / "out.txt", err = dir_ / "err.txt";
  const std::string cmd = "yes s | timeout 60 '" INTEGRACAO_HOST_EXE "' --module '" INTEGRACAO_TEST_MODULE "' --db '" +
                          db_ + "' screen TfrTesteHost --referencia 202403 --script '" + script + "' >'" +
                          out.string() + "' 2>'" + err.string() + "'";
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 1);
  const std::string saida = LeArquivoTexto(out), erros = LeArquivoTexto(err);
  EXPECT_NE(erros.find("passo 2"), std::string::npos) << erros;
  EXPECT_NE(erros.find("o script não responde à pergunta \"Confirma o processo?\""), std::string::npos) << erros;
  EXPECT_EQ(saida.find("Processado"), std::string::npos) << saida;
}

TEST_F(HostTest, ScreenDrivesTheModalFormsItOpens) {
  CriaBanco();
  auto tela = [&](const std::string& modais, const char* esperado) {
    return ComModulo("screen TfrTesteHost --script '" +
                     Script(R"({"steps": [{"click": "spModal"}, {"read": "lbResultado", "expect": ")" +
                            std::string(esperado) + R"("}], "modals": )" + modais + "}") +
                     "'");
  };
  TSaida r = tela(R"([{"form": "tfrtestemodal", "steps": [{"set": "edNome", "value": "x"},
      {"read": "edNome", "expect": "x"}, {"click": "spConfirmar"}]}])", "Modal 1");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "edNome = x\nlbResultado = Modal 1\n");
  // Left open by its steps: Cancel.
  r = tela(R"([{"form": "TfrTesteModal", "steps": [{"read": "edNome"}]}])", "Modal 2");
  EXPECT_EQ(r.Status, 0) << r.Err;

  r = tela("[]", "Modal 2");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "tela modal inesperada: TfrTesteModal (nenhuma esperada)\n");
  r = tela(R"([{"form": "TfrOutra"}])", "Modal 2");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "tela modal inesperada: TfrTesteModal (esperada TfrOutra)\n"
                   "tela esperada não abriu: TfrOutra\n");
  r = tela(R"([{"form": "TfrTesteModal", "steps": [{"read": "edNome", "expect": "y"}]},
      {"form": "TfrTesteModal"}])", "Modal 2");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "TfrTesteModal: passo 1: edNome é \"\", esperado \"y\"\n"
                   "tela esperada não abriu: TfrTesteModal\n");

  EXPECT_EQ(tela(R"({"form": "TfrTesteModal"})", "").Status, 2);
}

TEST_F(HostTest, ScriptDoesWhatAUsersHandsDo) {
  CriaBanco();
  const std::string script = Script(R"({"answers": ["ok"], "steps": [
      {"set": "edCodigo", "value": "777"}, {"set": "edNome", "value": "x"}]})");
  // Leaving the code edit with 777 sends the focus back: the name is never typed, and the timer armed
  // when the screen opened has fired before the first step.
  TSaida r = ComModulo("screen TfrTesteMaos --script '" + script + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("o controle edNome não recebeu o foco: ficou em edCodigo"), std::string::npos) << r.Err;

  const std::string maos = Script(R"({"answers": ["ok"], "steps": [
      {"set": "edCodigo", "value": "1"}, {"set": "edNome", "value": "x"},
      {"set": "dtData", "value": "15/03/2024"}, {"read": "dtData", "expect": "15/03/2024"},
      {"set": "clLista", "item": "Dois", "value": true}, {"read": "clLista", "expect": "Dois"},
      {"select": "lvItens", "item": 1}, {"set": "lvItens", "item": "Alfa", "value": true},
      {"read": "lvItens", "item": 0, "expect": "True"},
      {"tab": "pcPaginas", "value": "Dois"}, {"read": "pcPaginas", "expect": "Dois"},
      {"set": "grGrid", "row": 2, "field": "BDNOME", "value": "novo"},
      {"read": "grGrid", "row": 2, "field": "BDNOME", "expect": "novo"},
      {"read": "grGrid", "expect": "3"},
      {"key": "F6"}, {"key": "Ctrl+F6", "to": "edNome"},
      {"read": "lbLog", "expect": "timer, saiu 1, entrou edNome, linha Beta, aba Dois, editou novo, f6, entrou edNome, ctrl+f6"},
      {"click": "spAbrir"}, {"read": "lbLog", "expect": "timer"},
      {"read": "lbLog", "form": "TfrTesteMaos", "expect": "timer"},
      {"read": "pcPaginas", "expect": "Um"}],
    "modals": [{"form": "TfrTesteMaos", "steps": [{"set": "edCodigo", "value": "2"},
      {"read": "lbLog", "expect": "timer"}]}]})");
  r = ComModulo("screen TfrTesteMaos --script '" + maos + "'");
  EXPECT_EQ(r.Status, 0) << r.Err;
  // Once the second screen is open, steps reach its controls first.
  EXPECT_NE(r.Out.find("lbLog = timer\nlbLog = timer\npcPaginas = Um\n"), std::string::npos) << r.Out;

  r = ComModulo("screen TfrTesteMaos --script '" + Script(R"({"steps": [
      {"set": "grGrid", "row": 1, "field": "BDNOME", "value": ""}]})") + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("a edição de BDNOME em grGrid foi recusada"), std::string::npos) << r.Err;

  // An error in any list the run showed fails it.
  r = ComModulo("screen TfrTesteMaos --script '" + Script(R"({"steps": [{"click": "spErro"}]})") + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Out.find("Falha de teste"), std::string::npos) << r.Out;
}

TEST_F(HostTest, SelectIsAMouseClickAndShiftOrCtrlSelectSeveralRows) {
  CriaBanco();
  TSaida r = ComModulo("screen TfrTesteMaos --script '" + Script(R"({"steps": [
      {"select": "grGrid", "row": 1}, {"select": "grGrid", "row": 3, "shift": true},
      {"select": "grGrid", "row": 2, "field": "BDNOME", "ctrl": true},
      {"read": "lbLog", "expect": "timer, aperta, celula BDNOME, solta[a], aperta, celula BDNOME, solta[abc], aperta, celula BDNOME, solta[ac]"},
      {"select": "lvItens", "item": 0}, {"select": "lvItens", "item": 1, "ctrl": true},
      {"read": "lvItens", "expect": "Beta"}]})") + "'");
  EXPECT_EQ(r.Status, 0) << r.Err;
}

TEST_F(HostTest, RightClickDropsTheMenuWhoseItemTheNextStepPicksIfAUserCould) {
  CriaBanco();
  auto tela = [&](const std::string& passos) {
    return ComModulo("screen TfrTesteMaos --script '" + Script(R"({"steps": [)" + passos + "]}") + "'");
  };
  TSaida r = tela(R"({"rclick": "grGrid", "row": 2}, {"click": "miMarca"},
      {"click": "spMenu"}, {"click": "miBotao"},
      {"drop": "spDividido"}, {"click": "miDividido"}, {"click": "spDividido"},
      {"drop": "spMenu"}, {"click": "miBotao"},
      {"read": "lbLog", "expect": "timer, direito, solta[], menu, marcou b, botao, seta, face, botao"})");
  EXPECT_EQ(r.Status, 0) << r.Err;

  const std::pair<const char*, const char*> recusas[] = {
      {R"({"click": "miMarca"})", "o controle miMarca está no menu pmGrade, que não está aberto (grGrid o abre)"},
      {R"({"rclick": "grGrid", "row": 1}, {"focus": "edNome"}, {"click": "miMarca"})", "que não está aberto"},
      {R"({"rclick": "grGrid", "row": 1}, {"click": "miTravado"})", "o controle miTravado está inacessível"},
      {R"({"rclick": "grGrid", "row": 1}, {"click": "miNeto"})", "o controle miNeto está no menu miSub, inacessível"},
      // The button that drops the menu is disabled: neither it nor its menu's items can be reached.
      {R"({"set": "ckTrava", "value": true}, {"click": "spMenu"})", "o controle spMenu está inacessível"},
      {R"({"set": "ckTrava", "value": true}, {"click": "miBotao"})", "(spMenu o abre)"},
      {R"({"set": "ckTrava", "value": true}, {"drop": "spMenu"})", "o controle spMenu está inacessível"},
      // The arrow drops a menu without the click; the face of a button whose menu drops from its
      // arrow only runs its click and drops nothing.
      {R"({"click": "spDividido"}, {"click": "miDividido"})", "(spDividido o abre)"},
      {R"({"drop": "spDividido"}, {"focus": "edNome"}, {"click": "miDividido"})", "que não está aberto"},
      {R"({"drop": "spAbrir"})", "o controle spAbrir não tem menu suspenso"}};
  for (const auto& [passos, erro] : recusas) {
    r = tela(passos);
    EXPECT_EQ(r.Status, 1) << passos;
    EXPECT_NE(r.Err.find(erro), std::string::npos) << passos << "\n" << r.Err;
    EXPECT_EQ(r.Err.find("marcou"), std::string::npos);
  }
}

TEST_F(HostTest, ActivateRunsTheShownListsItemAndWarningsEndTheRunWithOne) {
  CriaBanco();
  TSaida r = ComModulo("screen TfrTesteMaos --script '" + Script(R"({"steps": [
      {"click": "spLista"}, {"activate": "lançamento 2"},
      {"read": "lbLog", "expect": "timer, ativou Lançamento 2: sem histórico"}]})") + "'");
  EXPECT_EQ(r.Status, 1) << r.Err;   // the list held warnings only
  EXPECT_EQ(r.Err, "");
  EXPECT_NE(r.Out.find("0 erro(s), 2 atenção"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("[Inconsistências] Lançamento 2: sem histórico\n"), std::string::npos) << r.Out;

  r = ComModulo("screen TfrTesteMaos --script '" + Script(R"({"steps": [{"activate": "Lançamento 1"}]})") + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("nenhuma lista de inconsistências foi mostrada"), std::string::npos) << r.Err;
  r = ComModulo("screen TfrTesteMaos --script '" +
                Script(R"({"steps": [{"click": "spLista"}, {"activate": "Lançamento 9"}]})") + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("não tem item que comece com Lançamento 9"), std::string::npos) << r.Err;
}

TEST_F(HostTest, BrowseAnswersTheFileChooserAReadOnlyFieldOpens) {
  CriaBanco();
  TSaida r = ComModulo("screen TfrTesteMaos --script '" + Script(R"({"steps": [
      {"browse": "edArquivo", "path": "/tmp/pasta/recibo.pdf"},
      {"read": "edArquivo", "expect": "/tmp/pasta/recibo.pdf"},
      {"read": "lbLog", "expect": "timer, arquivo /tmp/pasta/recibo.pdf"}]})") + "'");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("[Arquivo] : /tmp/pasta/recibo.pdf\n"), std::string::npos) << r.Out;

  r = ComModulo("screen TfrTesteMaos --script '" +
                Script(R"({"steps": [{"set": "edArquivo", "value": "/tmp/x.pdf"}]})") + "'");
  EXPECT_NE(r.Err.find("o controle edArquivo é somente leitura"), std::string::npos) << r.Err;
  // A button that asks nothing leaves the answer unused: the step fails.
  r = ComModulo("screen TfrTesteMaos --script '" +
                Script(R"({"steps": [{"browse": "spMenu", "path": "/tmp/x.pdf"}]})") + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("o controle spMenu não abriu a escolha de arquivos"), std::string::npos) << r.Err;
  r = ComModulo("screen TfrTesteMaos --script '" +
                Script(R"({"steps": [{"browse": "grGrid", "path": "/tmp/x.pdf"}]})") + "'");
  EXPECT_NE(r.Err.find("o controle grGrid não abre a escolha de arquivos"), std::string::npos) << r.Err;
}

TEST_F(HostTest, ASectionsStepReachesOnlyItsOwnScreen) {
  CriaBanco();
  // The modal screen lacks spModal: the base screen's button behind it is out of the section's reach.
  TSaida r = ComModulo("screen TfrTesteHost --script '" + Script(R"({"steps": [{"click": "spModal"}],
      "modals": [{"form": "TfrTesteModal", "steps": [{"click": "spModal"}]}]})") + "'");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("controle não encontrado: spModal em TfrTesteModal"), std::string::npos) << r.Err;
  // Named by its screen, another screen's control is reached.
  r = ComModulo("screen TfrTesteHost --script '" + Script(R"({"steps": [{"click": "spModal"}],
      "modals": [{"form": "TfrTesteModal", "steps": [{"read": "lbResultado", "form": "TfrTesteHost", "expect": ""},
        {"click": "spConfirmar"}]}]})") + "'");
  EXPECT_EQ(r.Status, 0) << r.Err;
}

TEST_F(HostTest, ProfileFromOptionsOrConfigurationAndHelp) {
  TSaida r = Host("--help");
  EXPECT_EQ(r.Status, 0);
  EXPECT_NE(r.Out.find("--customer"), std::string::npos);
  const fs::path config = dir_ / "config.json";
  std::ofstream(config) << R"({"user": "ana", "customer": "4321", "master-group": true})";
  CriaBanco();
  r = ComModulo("--config '" + config.string() + "' --user bia task TAutoThreadTesteHost cod_empresa=1 modo=perfil");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("perfil bia|4321|0|1"), std::string::npos) << r.Out;
  std::ofstream(config) << R"({"usuario": "ana"})";
  EXPECT_EQ(ComModulo("--config '" + config.string() + "' task TAutoThreadTesteHost").Status, 2);
}

TEST(TerminalProgressTest, TheBarAdvancesWithTheRunsStepsAndIsRedrawnOnlyWhenItChanges) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  integracao_host::TTerminalProgress terminal(f, 4);
  vyn::ProcessContext().Progress = &terminal;
  {
    vyn::TComponent dono;
    auto* janela = vyn::TfrStatusProcesso::createStatusProcess(&dono, 1);
    janela->setPrimaryStatusLabel("Gravando");
    janela->setPrimaryMaxProgress(4);
    for (int i = 0; i < 4; ++i) {
      janela->Step(0);
      janela->setPrimaryStatusLabel("Gravando");   // unchanged: not drawn again
    }
    janela->Finalize();
  }
  vyn::ProcessContext().Progress = nullptr;
  std::rewind(f);
  std::string texto;
  for (int c; (c = std::fgetc(f)) != EOF;) texto += static_cast<char>(c);
  std::fclose(f);
  const std::string apaga = "\r\033[K";
  EXPECT_EQ(texto, apaga + "[....] 0%" + apaga + "[....] 0% Gravando" + apaga + "[#...] 25% Gravando" + apaga +
                       "[##..] 50% Gravando" + apaga + "[###.] 75% Gravando" + apaga + "[####] 100% Gravando" + apaga);
}

}  // namespace
