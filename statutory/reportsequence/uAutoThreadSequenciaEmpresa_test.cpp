#include "statutory/reportsequence/uAutoThreadSequenciaEmpresa.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

#include <filesystem>

#include "framework/component/class_registry.h"
#include "framework/component/interrupcao.h"
#include "framework/component/process_context.h"
#include "framework/core/lite_pdf.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/form.h"
#include "framework/ui/sequencia_relatorio.h"
#include "framework/ui/item_de_menu.h"
#include "framework/ui/screen_user_config.h"
#include "framework/ui/scripted_dialogs.h"
#include "statutory/reportsequence/uAutoThreadSequenciaColaborador.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
namespace fs = std::filesystem;

TDateTime Dia(int a, int m, int d) { return EncodeDate(a, m, d); }

TEST(PeriodoSequencia, PeriodsOfEachKindAndThePreviousOneAcrossYearEnds) {
  using T = TAutoThreadSequenciaEmpresa;
  auto inicio = [](TTipoPeriodicidade_VYN k, TDateTime d, bool a) { return T::GetPeriodo(k, d, a).Inicio; };
  auto fim = [](TTipoPeriodicidade_VYN k, TDateTime d, bool a) { return T::GetPeriodo(k, d, a).Fim.DateOnly(); };
  EXPECT_EQ(inicio(tpsTrimestral, Dia(2024, 5, 15), false), Dia(2024, 4, 1));
  EXPECT_EQ(fim(tpsTrimestral, Dia(2024, 5, 15), false), Dia(2024, 6, 30));
  EXPECT_EQ(inicio(tpsTrimestral, Dia(2024, 5, 15), true), Dia(2024, 1, 1));
  EXPECT_EQ(fim(tpsTrimestral, Dia(2024, 5, 15), true), Dia(2024, 3, 31));
  EXPECT_EQ(inicio(tpsTrimestral, Dia(2024, 2, 15), true), Dia(2023, 10, 1));
  EXPECT_EQ(fim(tpsTrimestral, Dia(2024, 2, 15), true), Dia(2023, 12, 31));
  EXPECT_EQ(inicio(tpsSemestral, Dia(2024, 7, 3), true), Dia(2024, 1, 1));
  EXPECT_EQ(fim(tpsSemestral, Dia(2024, 7, 3), true), Dia(2024, 6, 30));
  EXPECT_EQ(inicio(tpsAnual, Dia(2024, 7, 3), true), Dia(2023, 1, 1));
  EXPECT_EQ(fim(tpsAnual, Dia(2024, 7, 3), true), Dia(2023, 12, 31));
  EXPECT_EQ(inicio(tpsMensal, Dia(2024, 3, 31), true), Dia(2024, 2, 1));
  EXPECT_EQ(fim(tpsMensal, Dia(2024, 3, 31), true), Dia(2024, 2, 29));
  // The end is the last moment of its day.
  EXPECT_GT(T::GetPeriodo(tpsMensal, Dia(2024, 3, 5), false).Fim, Dia(2024, 3, 31) );
  EXPECT_LT(T::GetPeriodo(tpsMensal, Dia(2024, 3, 5), false).Fim, Dia(2024, 4, 1));
  for (const char* t : {"4", "x", "", "-1"}) {
    try {
      T::CbPeriodoToTipoPeriodicidade(t);
      ADD_FAILURE() << t;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Período não suportado");
    }
  }
  EXPECT_THROW(T::GetPeriodo(tpsUnica, Dia(2024, 3, 5), false), std::runtime_error);
}

// A report screen as a sequence sees it: one page naming the company, the employee and the period.
class TfrTelaTarefaSequencia : public TForm_VYN, public ISequenciaTela {
 public:
  explicit TfrTelaTarefaSequencia(TComponent* owner) : TForm_VYN(owner) {
    SetCaption("Folha");
    edCODEMP = Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
    edCODEMP->SetName("edCODEMP");
    edCODCOLCON = Create<TEdit_Codigo_Search_VYN>(tcTodosFuncionarios);
    edCODCOLCON->SetName("edCODCOLCON");
  }
  std::string ClassName() const override { return "TfrTelaTarefaSequencia"; }
  ISequenciaTela* SequenciaTela() override { return this; }
  TDadosAberturaTela getDadosSelecionarSequencia(unsigned) override { return {}; }
  void ExecutarSequencia(const TDadosAdicionaisSeqRel& dados, TDadosFinaisSeqRel& finais) override {
    finais.AddRelatorio({"Empresa " + edCODEMP->Text() + " col " + edCODCOLCON->Text() + " " +
                         FormatDate("dd/mm/yyyy", dados.Geral.DataInicial) + "-" +
                         FormatDate("dd/mm/yyyy", dados.Geral.DataFinal)},
                        dados.NomeItem, {dados.DistincaoDeTipo, {"Destinatário", "a@b.c"}, ""});
  }
  TEdit_Codigo_Search_VYN* edCODEMP;
  TEdit_Codigo_Search_VYN* edCODCOLCON;
};

// A screen whose run gives two outputs of one entity and one item (two employees of one company).
class TfrTelaDuplaSequencia : public TfrTelaTarefaSequencia {
 public:
  using TfrTelaTarefaSequencia::TfrTelaTarefaSequencia;
  std::string ClassName() const override { return "TfrTelaDuplaSequencia"; }
  void ExecutarSequencia(const TDadosAdicionaisSeqRel& dados, TDadosFinaisSeqRel& finais) override {
    for (const char* col : {"10", "11"})
      finais.AddRelatorio({std::string("Colaborador ") + col}, dados.NomeItem, {dados.DistincaoDeTipo, {}, ""});
  }
};

// A screen of this installation that cannot open (its module is not licensed, say).
class TfrTelaQueNaoAbre : public TfrTelaTarefaSequencia {
 public:
  explicit TfrTelaQueNaoAbre(TComponent* owner) : TfrTelaTarefaSequencia(owner) {
    throw std::runtime_error("Módulo não liberado");
  }
  std::string ClassName() const override { return "TfrTelaQueNaoAbre"; }
};

// A screen during whose run the server is told to stop (SIGTERM), once.
class TfrTelaInterrompida : public TfrTelaTarefaSequencia {
 public:
  using TfrTelaTarefaSequencia::TfrTelaTarefaSequencia;
  std::string ClassName() const override { return "TfrTelaInterrompida"; }
  void ExecutarSequencia(const TDadosAdicionaisSeqRel& dados, TDadosFinaisSeqRel& finais) override {
    TfrTelaTarefaSequencia::ExecutarSequencia(dados, finais);
    if (interromper) ProcessContext().SinalInterrupcao = SIGTERM;
    interromper = false;
  }
  static inline bool interromper = false;
};

class TarefaSequenciaTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    ClassRegistry().RegisterClass<TfrTelaTarefaSequencia>("TfrTelaTarefaSequencia", TClassKind::Screen);
    ClassRegistry().RegisterClass<TfrTelaDuplaSequencia>("TfrTelaDuplaSequencia", TClassKind::Screen);
    ClassRegistry().RegisterClass<TfrTelaQueNaoAbre>("TfrTelaQueNaoAbre", TClassKind::Screen);
    ClassRegistry().RegisterClass<TfrTelaInterrompida>("TfrTelaInterrompida", TClassKind::Screen);
    auto& ctx = ProcessContext();
    ctx.UserCode = 7;
    ctx.UserName = "Ana";
    pasta_ = fs::temp_directory_path() / ("seqtarefa_" + std::to_string(::getpid()));
    fs::create_directories(pasta_);
    ctx.ProgramFolder = pasta_.string() + "/";
    ctx.WP_PLANO_TARVO = 4;
    ctx.WP_SEQUENCIARELATORIO.reset();
    ctx.MenuSistema.reset();
    MenuSistema().Entradas = {{1, "mnFolha", "Folha", "TfrTelaTarefaSequencia", 2},
                              {2, "mnFolhaCol", "Folha", "TfrTelaTarefaSequencia", 2}};
    seed::AddHeadOfficeAndBranch(Db());
    for (auto [seq, tipo] : {std::pair{12, 1}, std::pair{13, 2}}) {
      Db().Execute("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (?, 'Mensal', ?)",
                   {Variant(seq), Variant(tipo)});
      Db().Execute("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS) "
                   "VALUES (?, 1, 1, 'Folha', ?, 2)",
                   {Variant(seq), Variant(tipo == 1 ? "mnFolha" : "mnFolhaCol")});
    }
    Db().Execute("INSERT INTO TMODULO_SMTP (BDCODIGO, BDCODSIS) VALUES (3, 1)");
    Db().Execute("INSERT INTO TRH_COLCON (BDCODEMP, BDTIPOCOL, BDCODCOL, BDNOMCOL, BDDATAADM, BDDATADEM) VALUES "
                 "(1, 1, 10, 'Bia', '2020-01-01', NULL)");
    Db().Execute("INSERT INTO TRH_COLCON (BDCODEMP, BDTIPOCOL, BDCODCOL, BDNOMCOL, BDDATAADM, BDDATADEM) VALUES "
                 "(1, 1, 11, 'Caio', '2020-01-01', '2024-02-10')");
    Db().Execute("INSERT INTO TRH_COLCON (BDCODEMP, BDTIPOCOL, BDCODCOL, BDNOMCOL, BDDATAADM) VALUES "
                 "(1, 2, 12, 'Autônomo', '2020-01-01')");
  }
  void TearDown() override {
    ClassRegistry().UnRegisterClass("TfrTelaTarefaSequencia");
    ClassRegistry().UnRegisterClass("TfrTelaDuplaSequencia");
    ClassRegistry().UnRegisterClass("TfrTelaQueNaoAbre");
    ClassRegistry().UnRegisterClass("TfrTelaInterrompida");
    ProcessContext().SinalInterrupcao = 0;
    ProcessContext().WP_SEQUENCIARELATORIO.reset();
    ProcessContext().MenuSistema.reset();
    fs::remove_all(pasta_);
    CompanyDatabaseTest::TearDown();
  }
  template <class T>
  std::unique_ptr<T> Tarefa(std::map<std::string, std::string> params) {
    auto t = std::make_unique<T>();
    t->Agora = [] { return EncodeDateTime(2024, 3, 20, 10, 0, 0); };
    for (auto& [k, v] : params) t->SetParametro(k, v);
    return t;
  }
  std::vector<fs::path> Arquivos() {
    std::vector<fs::path> out;
    for (auto& e : fs::recursive_directory_iterator(pasta_ / "tarvo"))
      if (e.is_regular_file()) out.push_back(e.path());
    return out;
  }
  TScriptedDialogs dialogs_;
  fs::path pasta_;
};

TEST_F(TarefaSequenciaTest, CompanyTaskRunsFileThenEmailIntoThePlanFolderOfThePreviousMonth) {
  auto t = Tarefa<TAutoThreadSequenciaEmpresa>({{"referencia", "202402"}, {"cbPeriodo", "0"},
                                                {"edCODMODELO", "12"}, {"cod_empresa", "1"},
                                                {"ckSalvarArq", "True"}, {"cbTipoArquivo", "0"},
                                                {"ckEnviarSoEmail", "True"}, {"edCODIGO", "3 or 1=1"}});
  t->ExecuteTask();
  EXPECT_EQ(t->StatusExecucao(), tscSucesso) << t->MensagemExecucao();
  auto arquivos = Arquivos();
  ASSERT_EQ(arquivos.size(), 1u);
  EXPECT_EQ(arquivos[0].parent_path().filename(), "022024");   // February, MMYYYY
  TLitePDF pdf;
  pdf.LoadFromFile(arquivos[0].string());
  ASSERT_EQ(pdf.PageCount(), 1);
  EXPECT_EQ(pdf.Pages()[0], "Empresa 1 col  01/02/2024-29/02/2024");
  // The e-mail run went out; its flag is down again.
  EXPECT_TRUE(fs::exists(pasta_ / "email" / "saida"));
  EXPECT_FALSE(WP_SEQUENCIARELATORIO().EnviarEmail);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VSH_EMP_TCONF_TSEQREL_SEQ").AsInteger(), 2);
}

// Another workstation running the same sequence for the company numbers its row first and commits
// while this run waits on it: this run's row is numbered after it, and the run is not told a
// duplicate key.
TEST_F(TarefaSequenciaTest, ARowNumberedMeanwhileByAnotherWorkstationIsFollowedNotCollidedWith) {
  TDatabase outra;
  outra.Open(Company().Path());
  TTransaction tx(outra);
  const auto& ctx = ProcessContext();
  outra.Execute("INSERT INTO VSH_EMP_TCONF_TSEQREL_SEQ (BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, "
                "BDORDEMAGENDAMENTO, BDORDEM, BDCODCOL, BDTIPO) VALUES (?, 1, ?, ?, 0, 0, 'outra')",
                {Variant(ctx.WP_AGENDAMENTO), Variant(ctx.WP_PLANO_TARVO), Variant(ctx.WP_ORDEM_AGENDAMENTO)});
  std::thread confirma([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    tx.Commit();
  });
  auto t = Tarefa<TAutoThreadSequenciaEmpresa>({{"referencia", "202402"}, {"cbPeriodo", "0"},
                                                {"edCODMODELO", "12"}, {"cod_empresa", "1"},
                                                {"ckEnviarSoEmail", "True"}, {"edCODIGO", "1"}});
  t->ExecuteTask();
  confirma.join();
  EXPECT_EQ(t->StatusExecucao(), tscSucesso) << t->MensagemExecucao();
  const TQueryResult ordens =
      Db().QueryAll("SELECT BDORDEM, BDTIPO FROM VSH_EMP_TCONF_TSEQREL_SEQ ORDER BY BDORDEM");
  ASSERT_GE(ordens.Rows.size(), 2u);
  EXPECT_EQ(ordens.Rows[0][1].AsString(), "outra");
  for (size_t i = 0; i < ordens.Rows.size(); ++i) EXPECT_EQ(ordens.Rows[i][0].AsInteger(), static_cast<int64_t>(i + 1));
}

TEST_F(TarefaSequenciaTest, BadParametersFailBeforeAnyRunAndUnknownFileKindsExportNothing) {
  auto ruim = Tarefa<TAutoThreadSequenciaEmpresa>({{"cbPeriodo", "4"}, {"edCODMODELO", "12"}, {"cod_empresa", "1"}});
  EXPECT_THROW(ruim->ExecuteTask(), std::runtime_error);
  EXPECT_EQ(ruim->StatusExecucao(), tscErro);
  auto texto = Tarefa<TAutoThreadSequenciaEmpresa>({{"cbPeriodo", "0"}, {"edCODMODELO", "doze"}, {"cod_empresa", "1"}});
  EXPECT_THROW(texto->ExecuteTask(), std::exception);
  EXPECT_EQ(texto->StatusExecucao(), tscErro);
  // A model of the employee kind, or none at all, stops the company task with what is wrong: nobody
  // is there to answer whether to make a new one.
  for (const auto& [modelo, motivo] : {std::pair{"13", "O modelo 13 é de outro tipo de sequência."},
                                       std::pair{"99", "Modelo não encontrado."}}) {
    auto t = Tarefa<TAutoThreadSequenciaEmpresa>({{"cbPeriodo", "0"}, {"edCODMODELO", modelo}, {"cod_empresa", "1"}});
    try {
      t->ExecuteTask();
      ADD_FAILURE() << modelo;
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find(motivo), std::string::npos) << e.what();
    }
    EXPECT_EQ(t->StatusExecucao(), tscErro);
  }
  EXPECT_TRUE(dialogs_.Calls().empty());

  auto onze = Tarefa<TAutoThreadSequenciaEmpresa>({{"referencia", "202403"}, {"cbPeriodo", "1"}, {"edCODMODELO", "12"},
                                                   {"cod_empresa", "1"}, {"ckSalvarArq", "True"},
                                                   {"cbTipoArquivo", "11"}});
  onze->ExecuteTask();
  EXPECT_EQ(onze->StatusExecucao(), tscSucesso);
  EXPECT_TRUE(Arquivos().empty());
}

// A scheduled run never ends as a success when it produced nothing: an unknown company fails, a
// screen that cannot open is an inconsistency; "cbExportarComo" "1" writes each output apart.
TEST_F(TarefaSequenciaTest, RunsThatProduceNothingSaySoAndSeparateExportWritesEachOutput) {
  auto semEmpresa = Tarefa<TAutoThreadSequenciaEmpresa>({{"referencia", "202403"}, {"cbPeriodo", "0"},
                                                         {"edCODMODELO", "12"}, {"cod_empresa", "99"},
                                                         {"ckSalvarArq", "True"}, {"cbTipoArquivo", "0"}});
  EXPECT_ANY_THROW(semEmpresa->ExecuteTask());
  EXPECT_EQ(semEmpresa->StatusExecucao(), tscErro);
  EXPECT_NE(semEmpresa->MensagemExecucao().find("99"), std::string::npos) << semEmpresa->MensagemExecucao();

  MenuSistema().Entradas.push_back({1, "mnSumiu", "Sumiu", "TfrNaoRegistrada", 2});
  Db().Execute("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (14, 'Quebrada', 1)");
  Db().Execute("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS) "
               "VALUES (14, 1, 1, 'Sumiu', 'mnSumiu', 2)");
  auto quebrada = Tarefa<TAutoThreadSequenciaEmpresa>({{"referencia", "202403"}, {"cbPeriodo", "0"},
                                                       {"edCODMODELO", "14"}, {"cod_empresa", "1"},
                                                       {"ckSalvarArq", "True"}, {"cbTipoArquivo", "0"}});
  quebrada->ExecuteTask();
  EXPECT_EQ(quebrada->StatusExecucao(), tscInconsistente);
  EXPECT_FALSE(quebrada->MensagemExecucao().empty());

  auto separada = Tarefa<TAutoThreadSequenciaEmpresa>({{"referencia", "202403"}, {"cbPeriodo", "0"},
                                                       {"edCODMODELO", "12"}, {"cod_empresa", "1"},
                                                       {"ckSalvarArq", "True"}, {"cbTipoArquivo", "0"},
                                                       {"cbExportarComo", "1"}});
  separada->ExecuteTask();
  EXPECT_EQ(separada->StatusExecucao(), tscSucesso) << separada->MensagemExecucao();
  auto arquivos = Arquivos();
  ASSERT_EQ(arquivos.size(), 1u);
  EXPECT_NE(arquivos[0].filename().string().find("Sequência 12"), std::string::npos) << arquivos[0];
  EXPECT_TRUE(WP_SEQUENCIARELATORIO().ExportarComo.empty());
}

TEST_F(TarefaSequenciaTest, SeparateExportWritesEveryOutputEvenWhenTwoShareTheirName) {
  MenuSistema().Entradas.push_back({1, "mnDupla", "Folha", "TfrTelaDuplaSequencia", 2});
  Db().Execute("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (15, 'Dupla', 1)");
  Db().Execute("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS) "
               "VALUES (15, 1, 1, 'Folha', 'mnDupla', 2)");
  auto t = Tarefa<TAutoThreadSequenciaEmpresa>({{"referencia", "202403"}, {"cbPeriodo", "0"}, {"edCODMODELO", "15"},
                                                {"cod_empresa", "1"}, {"ckSalvarArq", "True"}, {"cbTipoArquivo", "0"},
                                                {"cbExportarComo", "1"}});
  t->ExecuteTask();
  EXPECT_EQ(t->StatusExecucao(), tscSucesso) << t->MensagemExecucao();
  std::vector<std::string> paginas;
  for (const auto& a : Arquivos()) {
    TLitePDF pdf;
    pdf.LoadFromFile(a.string());
    for (const auto& p : pdf.Pages()) paginas.push_back(p);
  }
  std::sort(paginas.begin(), paginas.end());
  EXPECT_EQ(paginas, (std::vector<std::string>{"Colaborador 10", "Colaborador 11"}));
}

// The menu item was renamed or removed since the model was saved: the line names no screen here.
TEST_F(TarefaSequenciaTest, ALineWhoseMenuItemIsGoneIsTheRunsProblemNotASuccess) {
  Db().Execute("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (51, 'Velho', 1)");
  Db().Execute("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS) "
               "VALUES (51, 1, 1, 'Velho', 'mnTfrNaoExiste', 0)");
  auto t = Tarefa<TAutoThreadSequenciaEmpresa>({{"referencia", "202403"}, {"cbPeriodo", "0"}, {"edCODMODELO", "51"},
                                                {"cod_empresa", "1"}, {"ckSalvarArq", "True"}, {"cbTipoArquivo", "0"}});
  t->ExecuteTask();
  EXPECT_EQ(t->StatusExecucao(), tscInconsistente);
  // Told by the caption the model shows, on a row of its own line.
  EXPECT_NE(t->MensagemExecucao().find("a tela \"Velho\" não existe nesta instalação"), std::string::npos)
      << t->MensagemExecucao();
  EXPECT_EQ(t->MensagemExecucao().find("mnTfrNaoExiste"), std::string::npos) << t->MensagemExecucao();
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VSH_EMP_TCONF_TSEQREL_SEQ WHERE BDINCONSISTENCIA CONTAINING "
                            "'Velho' AND BDTIPO STARTING WITH 'Velho'").AsInteger(), 1);
  EXPECT_TRUE(dialogs_.Calls().empty());
}

// A screen that exists but fails to open: its line's problem row names it, the run ends with status 2,
// and the other line still writes its file.
TEST_F(TarefaSequenciaTest, AScreenThatFailsToOpenIsItsLinesProblemRowAndStatusTwo) {
  MenuSistema().Entradas.push_back({1, "mnBalanco", "Balanço", "TfrTelaQueNaoAbre", 2});
  Db().Execute("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (16, 'Fechamento', 1)");
  Db().Execute("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS) "
               "VALUES (16, 1, 1, 'Balanço', 'mnBalanco', 2)");
  Db().Execute("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS) "
               "VALUES (16, 2, 2, 'Folha', 'mnFolha', 2)");
  ProcessContext().WP_AGENDAMENTO = 8;
  auto t = Tarefa<TAutoThreadSequenciaEmpresa>({{"referencia", "202403"}, {"cbPeriodo", "0"}, {"edCODMODELO", "16"},
                                                {"cod_empresa", "1"}, {"ckSalvarArq", "True"}, {"cbTipoArquivo", "0"}});
  t->ExecuteTask();
  EXPECT_EQ(t->StatusExecucao(), tscInconsistente) << t->MensagemExecucao();
  EXPECT_EQ(Db().QueryValue("SELECT BDCODSTATUS FROM VSH_EMP_TCONF_TSEQREL WHERE BDCODAGENDAMENTO = 8").AsInteger(), 2);
  auto rows = Db().QueryAll("SELECT BDINCONSISTENCIA FROM VSH_EMP_TCONF_TSEQREL_SEQ WHERE BDCODAGENDAMENTO = 8 "
                            "ORDER BY BDORDEM");
  ASSERT_EQ(rows.Rows.size(), 2u);
  const std::string problema = rows.Rows[0][0].AsString();
  EXPECT_NE(problema.find("Balanço"), std::string::npos) << problema;
  EXPECT_NE(problema.find("Módulo não liberado"), std::string::npos) << problema;
  EXPECT_EQ(rows.Rows[1][0].AsString(), "");   // the clean line's row
  ASSERT_EQ(Arquivos().size(), 1u);
  TLitePDF pdf;
  pdf.LoadFromFile(Arquivos()[0].string());
  EXPECT_EQ(pdf.Pages(), (std::vector<std::string>{"Empresa 1 col  01/03/2024-31/03/2024"}));
}

TEST_F(TarefaSequenciaTest, EmployeeTaskRunsOncePerEmployeeOfTheChosenSituation) {
  // One file per employee (the PDF button of the employee screen), active employees only.
  auto t = Tarefa<TAutoThreadSequenciaColaborador>({{"referencia", "202403"}, {"cbPeriodo", "0"},
                                                    {"edCODMODELO", "13"}, {"cod_empresa", "1"}, {"cbSitFunc", "0"},
                                                    {"ckSalvarArq", "True"}, {"cbTipoArquivo", "0"}});
  t->ExecuteTask();
  EXPECT_EQ(t->StatusExecucao(), tscSucesso) << t->MensagemExecucao();
  auto arquivos = Arquivos();
  ASSERT_EQ(arquivos.size(), 1u);
  TLitePDF pdf;
  pdf.LoadFromFile(arquivos[0].string());
  ASSERT_EQ(pdf.PageCount(), 1);
  EXPECT_EQ(pdf.Pages()[0], "Empresa 1 col 10 01/03/2024-31/03/2024");
  EXPECT_NE(arquivos[0].filename().string().find("Colaborador 10"), std::string::npos) << arquivos[0];

  // Dismissed employees: Caio (February) is the one.
  fs::remove_all(pasta_ / "tarvo");
  auto d = Tarefa<TAutoThreadSequenciaColaborador>({{"referencia", "202403"}, {"cbPeriodo", "0"},
                                                    {"edCODMODELO", "13"}, {"cod_empresa", "1"}, {"cbSitFunc", "2"},
                                                    {"ckSalvarArq", "True"}, {"cbTipoArquivo", "0"}});
  d->ExecuteTask();
  arquivos = Arquivos();
  ASSERT_EQ(arquivos.size(), 1u);
  pdf.LoadFromFile(arquivos[0].string());
  EXPECT_EQ(pdf.Pages()[0], "Empresa 1 col 11 01/03/2024-31/03/2024");
  EXPECT_THROW(Tarefa<TAutoThreadSequenciaColaborador>({{"cbPeriodo", "0"}, {"cod_empresa", "1"}, {"cbSitFunc", "a"}})
                   ->ExecuteTask(),
               std::exception);
}

// Stopped between its lines, a scheduled run writes no output and its log does not read as the clean
// run its first line wrote; run again, it writes its file once and reads clean.
TEST_F(TarefaSequenciaTest, AStoppedRunLeavesNoOutputNorASuccessAndARerunCompletesOnce) {
  MenuSistema().Entradas.push_back({1, "mnInterrompida", "Balanço", "TfrTelaInterrompida", 2});
  Db().Execute("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (17, 'Fechamento', 1)");
  Db().Execute("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS) "
               "VALUES (17, 1, 1, 'Folha', 'mnFolha', 2)");
  Db().Execute("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS) "
               "VALUES (17, 2, 2, 'Balanço', 'mnInterrompida', 2)");
  ProcessContext().WP_AGENDAMENTO = 9;
  const std::map<std::string, std::string> params = {{"referencia", "202403"}, {"cbPeriodo", "0"},
                                                     {"edCODMODELO", "17"},    {"cod_empresa", "1"},
                                                     {"ckSalvarArq", "True"},  {"cbTipoArquivo", "0"}};
  auto status = [this] {
    return Db().QueryAll("SELECT BDCODSTATUS, BDINCONSISTENCIA FROM VSH_EMP_TCONF_TSEQREL WHERE BDCODAGENDAMENTO = 9");
  };
  TfrTelaInterrompida::interromper = true;
  EXPECT_THROW(Tarefa<TAutoThreadSequenciaEmpresa>(params)->ExecuteTask(), EInterrupcao);
  ProcessContext().SinalInterrupcao = 0;
  EXPECT_TRUE(!fs::exists(pasta_ / "tarvo") || Arquivos().empty());
  auto r = status();
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Rows[0][0].AsInteger(), 2);
  EXPECT_EQ(r.Rows[0][1].AsString(), "Execução interrompida pelo sinal 15 (SIGTERM).");

  auto t = Tarefa<TAutoThreadSequenciaEmpresa>(params);
  t->ExecuteTask();
  EXPECT_EQ(t->StatusExecucao(), tscSucesso) << t->MensagemExecucao();
  EXPECT_EQ(Arquivos().size(), 1u);
  r = status();
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Rows[0][0].AsInteger(), 1);
}

}  // namespace
}  // namespace integracao
