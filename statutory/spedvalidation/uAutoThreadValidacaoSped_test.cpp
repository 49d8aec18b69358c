#include "statutory/spedvalidation/uAutoThreadValidacaoSped.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/component/class_registry.h"
#include "framework/component/interrupcao.h"
#include "framework/core/text.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/integracao_padrao.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
namespace fs = std::filesystem;

// What the export screen of a test does and was given.
struct TComportamentoTela {
  std::string conteudo = "|0000|SPED|";     // written to the file; empty: nothing written
  std::vector<std::pair<TNivelInconsistencia, std::string>> inconsistencias;  // reported when nothing is written
  std::string falha;                        // raised instead of exporting
  bool devolvePasta = false;                // answers the folder instead of a file
  bool interrompe = false;                  // a SIGTERM arrives while it exports
  bool sinalAoFim = false;                  // a SIGTERM arrives once its file is written
  int codEmp = 0;
  TDateTime ini, fim;
  std::string pasta;
  int chamadas = 0;
};

class TTelaExportacaoTeste : public TfrIntegracao_Empresa_Padrao_VYN {
 public:
  TTelaExportacaoTeste(TComponent* owner, TComportamentoTela& c) : TfrIntegracao_Empresa_Padrao_VYN(owner), c_(c) {}
  std::string ExportaToValidador(int codEmp, TDateTime ini, TDateTime fim, const std::string& pasta) override {
    ++c_.chamadas;
    c_.codEmp = codEmp;
    c_.ini = ini;
    c_.fim = fim;
    c_.pasta = pasta;
    if (!c_.falha.empty()) throw std::runtime_error(c_.falha);
    if (c_.interrompe) {
      ProcessContext().SinalInterrupcao = SIGTERM;
      VerificaInterrupcao();
    }
    if (c_.devolvePasta) return pasta;
    if (c_.conteudo.empty()) {
      for (const auto& [nivel, texto] : c_.inconsistencias) {
        if (nivel == niErro) Inconsistencias_VYN->Add_Erro(texto);
        else if (nivel == niAtencao) Inconsistencias_VYN->Add_Atencao(texto);
        else Inconsistencias_VYN->Add_Informativo(texto);
      }
      return {};
    }
    std::string arquivo = pasta + "SPED_" + std::to_string(codEmp) + ".txt";
    std::ofstream(arquivo) << c_.conteudo;
    if (c_.sinalAoFim) ProcessContext().SinalInterrupcao = SIGTERM;
    return arquivo;
  }

 private:
  TComportamentoTela& c_;
};

class ValidacaoSpedTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    programa_ = fs::temp_directory_path() / ("vyn_sped_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(programa_);
    fs::create_directories(programa_);
    pastaAnterior_ = ProcessContext().ProgramFolder;
    ProcessContext().ProgramFolder = programa_.string();
    for (const char* nome : {"TfrExportacaoSped", "TfrExportacaoSpedContribuicoes", "TfrExportacaoECF"})
      ClassRegistry().RegisterClass(
          nome, [this](TComponent* o) { return std::make_unique<TTelaExportacaoTeste>(o, tela); }, TClassKind::Screen);
    ClassRegistry().RegisterClass<TAutoThreadValidacaoSped>("TAutoThreadValidacaoSped", TClassKind::Task);

    Db().Execute("INSERT INTO TEMPRESAS (BDCODEMP) VALUES (7)");
    Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCNPJEMP) VALUES "
                 "(7, 202001, 'Padaria São João & Cia', '12345678000199')");
    Db().Execute("INSERT INTO TVALIDACAOSPED_MICRO (BDCODMICRO, BDPCNAME, BDUSERNAME) VALUES (3, 'ESTACAO-3', 'ana')");
    Db().Execute("INSERT INTO TVALIDACAOSPED_CONFIG (BDCODMICRO, BDCAMINHOECF, BDCAMINHOFISCAL, BDPASTAARQUIVO, "
                 "BDSUBPASTAEMPRESA, BDSUBPASTAREFERENCIA, BDPASTAARQUIVOSANTERIORES) VALUES "
                 "(3, 'C:\\validador\\ecf.exe', 'C:\\validador\\fiscal.exe', '/relatorios', 'TRUE', 'TRUE', '/anteriores')");
  }
  void TearDown() override {
    for (const char* nome : {"TfrExportacaoSped", "TfrExportacaoSpedContribuicoes", "TfrExportacaoECF",
                             "TAutoThreadValidacaoSped"})
      ClassRegistry().UnRegisterClass(nome);
    ProcessContext().ProgramFolder = pastaAnterior_;
    fs::remove_all(programa_);
    CompanyDatabaseTest::TearDown();
  }

  void Agenda(int id, int tipo) {
    Db().Execute("INSERT INTO TVALIDACAOSPED_AGENDAMENTOS (BDID, BDSTATUS, BDCODNOMMICRO, BDTIPO, BDCODEMP, BDDATAINI, "
                 "BDDATAFIM, BDREFERENCIA) VALUES (?, 1, 3, ?, 7, '2024-01-01', '2024-12-31', 202401)",
                 {Variant(id), Variant(tipo)});
  }
  void Roda(int id, bool esperaFalha = false) {
    TComponent dono;
    auto* task = dynamic_cast<TAutoThreadValidacaoSped*>(
        ClassRegistry().CreateComponent("TAutoThreadValidacaoSped", dono));
    ASSERT_NE(task, nullptr);
    if (id) task->Parametros["id"] = id;
    if (esperaFalha) EXPECT_ANY_THROW(task->ExecuteTask());
    else task->ExecuteTask();
  }
  std::vector<Variant> Job(int id) {
    auto r = Db().QueryAll("SELECT BDSTATUS, BDRETORNO, BDEXPORTOU, BDINICIOUEM, BDFINALIZOUEM "
                           "FROM TVALIDACAOSPED_AGENDAMENTOS WHERE BDID = ?", {Variant(id)});
    return r.Rows.at(0);
  }
  bool MicroFlag() { return Db().QueryValue("SELECT BDPRECISAABRIRTELA FROM TVALIDACAOSPED_MICRO").AsBoolean(); }
  std::vector<fs::path> JobFiles() {
    std::vector<fs::path> out;
    fs::path p = programa_ / "validacao_sped" / "agendamentos";
    if (fs::exists(p))
      for (auto& e : fs::directory_iterator(p)) out.push_back(e.path());
    return out;
  }

  TComportamentoTela tela;
  fs::path programa_;
  std::string pastaAnterior_;
};

TEST_F(ValidacaoSpedTest, EcfJobExportsIntoTheWorkFolderAndHandsTheJobToTheWriter) {
  Agenda(11, 4);
  Roda(11);

  EXPECT_EQ(tela.chamadas, 1);
  EXPECT_EQ(tela.codEmp, 7);
  EXPECT_EQ(tela.ini, EncodeDate(2024, 1, 1));
  EXPECT_EQ(tela.fim, EncodeDate(2024, 12, 31));
  EXPECT_EQ(tela.pasta, (programa_ / "validacao_sped" / "temp").string() + "/");
  EXPECT_TRUE(fs::is_regular_file(tela.pasta + "SPED_7.txt"));

  auto job = Job(11);
  EXPECT_EQ(job[0].AsInteger(), 2);
  EXPECT_EQ(job[1].AsString(), "Arquivo exportado, aguardando para fazer validação...");
  EXPECT_TRUE(job[2].AsBoolean());
  EXPECT_FALSE(job[3].IsNull());
  EXPECT_FALSE(MicroFlag());

  auto arquivos = JobFiles();
  ASSERT_EQ(arquivos.size(), 1u);
  nlohmann::json j = nlohmann::json::parse(std::ifstream(arquivos[0]));
  EXPECT_EQ(j["id"], 11);
  EXPECT_EQ(j["arquivo_importacao"], "temp/SPED_7.txt");
  EXPECT_EQ(j["caminho_programa"], "C:\\validador\\ecf.exe");
  EXPECT_EQ(j["pasta_pdf"], "/relatorios/PadariaSaoJoaoCia/202401/");
  EXPECT_EQ(j["rotina"], static_cast<int>(tsECF));
  EXPECT_EQ(j["caminho_arquivos_anteriores"], "/anteriores");
  EXPECT_EQ(j["cnpj"], "12345678000199");
  EXPECT_EQ(j["data_inicial"], "2024-01-01");
  EXPECT_EQ(j["data_final"], "2024-12-31");
  EXPECT_EQ(j["computador"], "ESTACAO-3");
  EXPECT_EQ(j["usuario"], "ana");
}

TEST_F(ValidacaoSpedTest, FailedExportsEndTheJobWithStatusFiveAndFlagTheWorkstation) {
  struct TCaso {
    int tipo;
    std::function<void(TComportamentoTela&)> prepara;
    std::string esperado;
  };
  const std::string longa = "Registro d'água " + std::string(300, 'x');
  const std::vector<TCaso> casos = {
      {4, [](TComportamentoTela& t) { t.conteudo.clear(); t.inconsistencias = {{niErro, "Empresa sem plano referencial"}}; },
       "Não foi possível realizar a exportação. Empresa sem plano referencial"},
      // The reason is the first error even behind informative lines and warnings, else the first
      // warning, else the first line.
      {4, [](TComportamentoTela& t) {
         t.conteudo.clear();
         t.inconsistencias = {{niInformativo, "Gerando blocos"}, {niAtencao, "Conta sem natureza"},
                              {niErro, "Empresa sem plano referencial"}, {niErro, "Segundo erro"}};
       }, "Não foi possível realizar a exportação. Empresa sem plano referencial"},
      {4, [](TComportamentoTela& t) {
         t.conteudo.clear();
         t.inconsistencias = {{niInformativo, "Gerando blocos"}, {niAtencao, "Conta sem natureza"}};
       }, "Não foi possível realizar a exportação. Conta sem natureza"},
      {4, [](TComportamentoTela& t) { t.conteudo.clear(); t.inconsistencias = {{niInformativo, "Gerando blocos"}}; },
       "Não foi possível realizar a exportação. Gerando blocos"},
      {4, [](TComportamentoTela& t) { t.conteudo.clear(); }, "Não foi possível realizar a exportação"},
      {4, [](TComportamentoTela& t) { t.devolvePasta = true; }, "Não foi possível realizar a exportação"},
      {0, [](TComportamentoTela&) {}, "O caminho do validador não foi informado"},
      {1, [&](TComportamentoTela& t) { t.falha = longa; },
       Utf8Left("Não foi possível realizar a exportação. " + longa, 255)},
      // Exported, but the workstation has no validator for contributions: no job file.
      {2, [](TComportamentoTela&) {}, "O caminho do validador não foi informado"},
  };
  int id = 20;
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.esperado);
    tela = TComportamentoTela();
    caso.prepara(tela);
    Db().Execute("UPDATE TVALIDACAOSPED_MICRO SET BDPRECISAABRIRTELA = FALSE");
    Agenda(++id, caso.tipo);
    Roda(id);
    auto job = Job(id);
    EXPECT_EQ(job[0].AsInteger(), 5);
    EXPECT_EQ(job[1].AsString(), caso.esperado);
    EXPECT_FALSE(job[2].AsBoolean());
    EXPECT_FALSE(job[4].IsNull());
    EXPECT_TRUE(MicroFlag());
  }
  EXPECT_TRUE(JobFiles().empty());
  EXPECT_EQ(tela.chamadas, 1);  // the contributions screen did run

  // A kind whose screen no package registered fails with the loader's reason.
  Db().Execute("UPDATE TVALIDACAOSPED_CONFIG SET BDCAMINHOECD = '/v/ecd'");
  Agenda(40, 3);
  Roda(40);
  EXPECT_EQ(Job(40)[0].AsInteger(), 5);
  // The job's failure is the run's: no clean or merely inconsistent row for it.
  EXPECT_EQ(Db().QueryValue("SELECT BDCODSTATUS FROM VSH_EMP_TCONF_EXECUCAO").AsInteger(), 5);
  EXPECT_TRUE(StartsWithText(Job(40)[1].AsString(), "Não foi possível realizar a exportação. "));
  EXPECT_GT(Job(40)[1].AsString().size(), std::string("Não foi possível realizar a exportação. ").size());
}

TEST_F(ValidacaoSpedTest, JobWithoutRowOrIdFailsTheRunWithoutTouchingOtherRows) {
  Agenda(50, 4);
  Roda(99, true);
  EXPECT_EQ(Db().QueryValue("SELECT BDINCONSISTENCIA FROM VSH_EMP_TCONF_EXECUCAO WHERE BDCODSTATUS = 5").AsString(),
            "O agendamento de validação 99 não existe.");
  Roda(0, true);
  EXPECT_EQ(tela.chamadas, 0);
  EXPECT_FALSE(MicroFlag());
  EXPECT_EQ(Job(50)[0].AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT BDINCONSISTENCIA FROM VSH_EMP_TCONF_EXECUCAO WHERE BDCODSTATUS = 5").AsString(),
            "O parâmetro \"id\" do agendamento de validação não foi informado.");
}

TEST_F(ValidacaoSpedTest, AnIdBeyondTheTableIsRefusedNotWrappedToAnotherJob) {
  Agenda(1, 4);
  TComponent dono;
  auto* task = dynamic_cast<TAutoThreadValidacaoSped*>(ClassRegistry().CreateComponent("TAutoThreadValidacaoSped", dono));
  task->Parametros["id"] = 4294967297LL;   // 2^32 + 1
  EXPECT_ANY_THROW(task->ExecuteTask());
  EXPECT_EQ(tela.chamadas, 0);
  EXPECT_EQ(Job(1)[0].AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT BDCODSTATUS FROM VSH_EMP_TCONF_EXECUCAO").AsInteger(), 5);
}

TEST_F(ValidacaoSpedTest, AJobInterruptedWhileExportingSaysSoAndRunsAgainAfterwards) {
  Agenda(80, 4);
  tela.interrompe = true;
  {
    TComponent dono;
    auto* task = dynamic_cast<TAutoThreadValidacaoSped*>(ClassRegistry().CreateComponent("TAutoThreadValidacaoSped", dono));
    task->Parametros["id"] = 80;
    struct TLimpaSinal {
      ~TLimpaSinal() {
      ProcessContext().SinalInterrupcao = 0;
      TExecucaoConcluida::Reabre();
    }
    } limpa;
    EXPECT_THROW(task->ExecuteTask(), EInterrupcao);
  }
  auto job = Job(80);
  EXPECT_EQ(job[0].AsInteger(), 5);
  EXPECT_EQ(job[1].AsString(),
            "Execução interrompida pelo sinal 15 (SIGTERM). O agendamento pode ser executado novamente.");
  EXPECT_FALSE(job[2].AsBoolean());
  EXPECT_FALSE(job[4].IsNull());
  EXPECT_TRUE(MicroFlag());

  tela.interrompe = false;
  Roda(80);
  EXPECT_EQ(Job(80)[0].AsInteger(), 2);
  EXPECT_TRUE(Job(80)[2].AsBoolean());
  EXPECT_TRUE(Job(80)[4].IsNull());   // the earlier end is not this run's
}

// A job left "exporting" by a run killed outright (its hold went with its attachment) is read as a run
// that did not finish, by every reading of the jobs; a job a run still holds, and one exported and
// waiting for the validator, are read as they are.
TEST_F(ValidacaoSpedTest, AJobWhoseRunWasKilledIsReadAsNotFinished) {
  for (int id : {90, 91, 92}) {
    Agenda(id, 4);
    Db().Execute("INSERT INTO TVALIDACAOSPED_EXECUCAO (BDID) VALUES (?)", {Variant(id)});
  }
  Db().Execute("UPDATE TVALIDACAOSPED_AGENDAMENTOS SET BDSTATUS = 2, BDRETORNO = 'Exportando arquivo...', "
               "BDINICIOUEM = '2025-03-01 10:00:00'");
  Db().Execute("UPDATE TVALIDACAOSPED_AGENDAMENTOS SET BDEXPORTOU = TRUE, BDRETORNO = 'Arquivo exportado' WHERE BDID = 92");
  TDatabase viva;   // the run of job 91 is still going
  viva.Open(Company().Path());
  TTransaction segura(viva);
  viva.Execute("UPDATE TVALIDACAOSPED_EXECUCAO SET BDID = BDID WHERE BDID = 91");

  auto lista = TVALIDACAOSPED_AGENDAMENTOSMGR::CreateMgrOwned();
  lista->OpenTable("BDID >= 90 ORDER BY BDID");
  std::vector<std::pair<int64_t, std::string>> lidos;
  for (lista->First(); !lista->Eof(); lista->Next())
    lidos.emplace_back(lista->FieldByName("BDSTATUS").AsInteger(), lista->FieldByName("BDRETORNO").AsString());
  EXPECT_EQ(lidos, (std::vector<std::pair<int64_t, std::string>>{
                       {5, "Execução iniciada e não concluída."}, {2, "Exportando arquivo..."}, {2, "Arquivo exportado"}}));
  EXPECT_FALSE(Job(90)[4].IsNull());

  // Once the run of job 91 is gone too, the next reading says so; a new run of job 90 is its own.
  segura.Rollback();
  viva.Close();
  Roda(90);
  EXPECT_EQ(Job(90)[0].AsInteger(), 2);
  EXPECT_TRUE(Job(90)[2].AsBoolean());
  EXPECT_EQ(Job(91)[0].AsInteger(), 5);
  EXPECT_EQ(Job(92)[0].AsInteger(), 2);
}

// A signal that comes once the file is exported finds the job's hand-over and record as one step: the
// job ends exported with its one job file, and is complete, so the host tells its success.
TEST_F(ValidacaoSpedTest, ASignalOnceTheFileIsExportedFindsTheJobDone) {
  struct TLimpaSinal {
    ~TLimpaSinal() {
      ProcessContext().SinalInterrupcao = 0;
      TExecucaoConcluida::Reabre();
    }
  } limpa;
  Agenda(95, 1);
  tela.sinalAoFim = true;
  Roda(95);
  EXPECT_EQ(ProcessContext().SinalInterrupcao, SIGTERM);
  EXPECT_TRUE(TExecucaoConcluida::Marcada());
  EXPECT_EQ(Job(95)[0].AsInteger(), 2);
  EXPECT_TRUE(Job(95)[2].AsBoolean());
  EXPECT_EQ(JobFiles().size(), 1u);
}

TEST_F(ValidacaoSpedTest, AJobFileThatCannotBeWrittenEndsTheJobWithTheWritersError) {
  // The validator's job folder is taken by a file: the writer cannot put the job there.
  fs::create_directories(programa_ / "validacao_sped");
  std::ofstream(programa_ / "validacao_sped" / "agendamentos") << "ocupado";
  Agenda(70, 4);
  Roda(70, true);
  auto job = Job(70);
  EXPECT_EQ(job[0].AsInteger(), 5);
  EXPECT_NE(job[1].AsString().find("agendamentos"), std::string::npos) << job[1].AsString();
  EXPECT_FALSE(job[2].AsBoolean());
  EXPECT_FALSE(job[4].IsNull());
  EXPECT_TRUE(MicroFlag());
  EXPECT_EQ(Db().QueryValue("SELECT BDCODSTATUS FROM VSH_EMP_TCONF_EXECUCAO").AsInteger(), 5);
}

TEST_F(ValidacaoSpedTest, PdfFolderFollowsTheSubfolderChoices) {
  struct TCaso {
    const char* base;
    const char* empresa;
    const char* referencia;
    std::string esperado;
  };
  const std::vector<TCaso> casos = {{"/pdf", "FALSE", "FALSE", "/pdf/"},
                                    {"", "FALSE", "FALSE", "/"},
                                    {"/pdf/", "TRUE", "FALSE", "/pdf/PadariaSaoJoaoCia/"},
                                    {"", "FALSE", "TRUE", "/202401/"}};
  int id = 60;
  for (const auto& c : casos) {
    Db().Execute("UPDATE TVALIDACAOSPED_CONFIG SET BDPASTAARQUIVO = ?, BDSUBPASTAEMPRESA = ?, BDSUBPASTAREFERENCIA = ?",
                 {Variant(c.base), Variant(c.empresa), Variant(c.referencia)});
    Agenda(++id, 4);
    Roda(id);
    auto arquivos = JobFiles();
    ASSERT_EQ(arquivos.size(), 1u);
    EXPECT_EQ(nlohmann::json::parse(std::ifstream(arquivos[0]))["pasta_pdf"], c.esperado);
    fs::remove(arquivos[0]);
  }
}

}  // namespace
}  // namespace integracao
