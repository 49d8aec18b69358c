#include "statutory/ecf/uAutoThreadExportacaoECF.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <memory>

#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/scripted_dialogs.h"
#include "statutory/ecf/ecf_test_support.h"
#include "statutory/ecf/uPreparacaoDadosComplementaresECFP500.h"

namespace integracao {
namespace {

using namespace vyn;

class TarefaECF : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    testing_ecf::SemeiaEmpresaECF(Db());
    ProcessContext().Referencia = 202401;
    tarefa.DiretorioPlano = [this](int ref) {
      refPlano = ref;
      return pasta.Caminho.string();
    };
    tarefa.SetParametro("cod_empresa", "1");
  }
  void Salva(int seq, const std::string& nome, const std::string& valor) {
    Db().Execute("INSERT INTO TEXPORTACAO_ITEMSTELA_CONFIG (BDCODEMP, BDTELA, BDSEQUENCIA, BDCOMPNAME, BDCOMPVALUE) "
                 "VALUES (1, 'frExportacaoECF', ?, ?, ?)",
                 {seq, nome, valor});
  }
  TScriptedDialogs dialogs;   // any dialog fails the test
  testing_ecf::TPastaTemporaria pasta;
  TAutoThreadExportacaoECF tarefa;
  int refPlano = 0;
};

TEST_F(TarefaECF, ExportsThePreviousYearRestoringTheLatestSettings) {
  Salva(1, "cbRetificadora", "0");
  Salva(2, "cbRetificadora", "1");            // the latest set: an original ECF
  Salva(2, "CBREGIMEAPURACAO", "1");          // names compare without case
  Salva(2, "edDataSituacaoEspecial", " /  / ");
  tarefa.SetParametro("referencia", "202312");
  tarefa.SetParametro("ckLimitaHist", "true");   // only "True" shortens
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscSucesso) << tarefa.MensagemExecucao();
  EXPECT_EQ(refPlano, 202312);
  EXPECT_TRUE(std::filesystem::is_regular_file(pasta.Caminho / "ECF0001_1_2023_1.TXT"));
  std::ifstream in(pasta.Caminho / "ECF0001_1_2023_1.TXT");
  const std::string txt(std::istreambuf_iterator<char>(in), {});
  EXPECT_NE(txt.find("RETIFICADORA=N"), std::string::npos);
  EXPECT_NE(txt.find("LIMITARHISTCOMPL=0"), std::string::npos);
  EXPECT_NE(txt.find("REGIMEAPURACAO=2"), std::string::npos);   // restored under its control name
  EXPECT_EQ(tarefa.LogTarvo().back(), "Processo finalizado");
  EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(TarefaECF, KeepsAnExistingFileWhenAskedNotToOverwrite) {
  Salva(1, "cbRetificadora", "1");
  tarefa.SetParametro("referencia", "202401");   // the current month: its own year
  tarefa.SetParametro("ckSobreporArquivoDestino", "False");
  std::ofstream(pasta.Caminho / "ECF0001_1_2024_1.TXT") << "anterior";
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscInconsistente);
  EXPECT_NE(tarefa.MensagemExecucao().find("Já existe exportação neste período"), std::string::npos);
  std::ifstream in(pasta.Caminho / "ECF0001_1_2024_1.TXT");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "anterior");
}

TEST_F(TarefaECF, AStrictComboWithANonNumberEndsTheRunAsAFailure) {
  Salva(1, "cbTributacao", "Lucro");
  EXPECT_ANY_THROW(tarefa.ExecuteTask());
  EXPECT_EQ(tarefa.StatusExecucao(), tscErro);
}

TEST_F(TarefaECF, AnUnreadableStartOfPeriodIsRefusedNotTakenAsRegular) {
  Salva(1, "cbInicioPeriodo", "Abertura");
  EXPECT_ANY_THROW(tarefa.ExecuteTask());
  EXPECT_EQ(tarefa.StatusExecucao(), tscErro);
}

TEST_F(TarefaECF, UnattendedFindingsBecomeTheResultWithoutDialogs) {
  // Default first items: a rectifying ECF without the previous receipt.
  tarefa.SetParametro("referencia", "202401");
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscInconsistente);
  EXPECT_EQ(tarefa.MensagemExecucao(), "O número do recibo anterior deverá ter 41 dígitos.");
  EXPECT_FALSE(std::filesystem::exists(pasta.Caminho / "ECF0001_1_2024_1.TXT"));
  EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(TarefaECF, AReferenceThatIsNoMonthOrACompanyNotRegisteredFailsTheRunAndExportsNothing) {
  tarefa.SetParametro("referencia", "abc");
  EXPECT_ANY_THROW(tarefa.ExecuteTask());
  EXPECT_EQ(tarefa.StatusExecucao(), tscErro);
  EXPECT_NE(tarefa.MensagemExecucao().find("abc"), std::string::npos) << tarefa.MensagemExecucao();

  TAutoThreadExportacaoECF outra;
  outra.DiretorioPlano = [this](int) { return pasta.Caminho.string(); };
  outra.SetParametro("referencia", "202401");
  outra.SetParametro("cod_empresa", "999");
  EXPECT_ANY_THROW(outra.ExecuteTask());
  EXPECT_EQ(outra.StatusExecucao(), tscErro);
  EXPECT_EQ(outra.MensagemExecucao(), "Empresa não cadastrada ou não informada.");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pasta.Caminho), {}), 0);
  EXPECT_TRUE(dialogs.Calls().empty());
}

std::string Le(const std::filesystem::path& p) {
  std::ifstream in(p);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The saved choices govern their fields as the user's picks did: the screen's checks run over them.
TEST_F(TarefaECF, ARestoredSetTheScreenWouldRefuseIsRefusedAndAnUnreadableValueFailsNamingItsField) {
  Salva(1, "cbRetificadora", "1");
  Salva(1, "cbTipoECF", "1");          // a partner of an SCP...
  Salva(1, "edQuantidadeSCP", "0");    // ...without the SCPs' count
  tarefa.SetParametro("referencia", "202401");
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscInconsistente);
  EXPECT_EQ(tarefa.MensagemExecucao(), "Para o tipo da ECF informado, é obrigatório informar a quantidade da SCP da PJ.");
  EXPECT_FALSE(std::filesystem::exists(pasta.Caminho / "ECF0001_1_2024_1.TXT"));

  Db().Execute("DELETE FROM TEXPORTACAO_ITEMSTELA_CONFIG");
  Salva(2, "cbRetificadora", "1");
  Salva(2, "cbSituacaoEspecial", "6");   // a partial split...
  Salva(2, "edDataSituacaoEspecial", "31/12/2024");
  Salva(2, "edRemanescente", "1e5");     // ...whose remaining equity no edit can hold
  TAutoThreadExportacaoECF outra;
  outra.DiretorioPlano = [this](int) { return pasta.Caminho.string(); };
  outra.SetParametro("referencia", "202401");
  outra.SetParametro("cod_empresa", "1");
  EXPECT_ANY_THROW(outra.ExecuteTask());
  EXPECT_EQ(outra.StatusExecucao(), tscErro);
  EXPECT_NE(outra.MensagemExecucao().find("\"edRemanescente\""), std::string::npos) << outra.MensagemExecucao();
  EXPECT_FALSE(std::filesystem::exists(pasta.Caminho / "ECF0001_1_2024_1.TXT"));
  EXPECT_TRUE(dialogs.Calls().empty());
}

// A set saved for another year (presumed profit then) does not decide the taxation of this one.
TEST_F(TarefaECF, TheYearIsJudgedByTheRecordsTaxationAndADefaultKeepsItsCsllRate) {
  Salva(1, "cbRetificadora", "1");
  Salva(1, "cbTributacao", "1");       // "5 - Lucro Presumido"
  Salva(1, "cbPeriodoIRPJ", "1");
  tarefa.SetParametro("referencia", "202401");
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscSucesso) << tarefa.MensagemExecucao();
  EXPECT_NE(Le(pasta.Caminho / "ECF0001_1_2024_1.TXT").find("TRIBUTACAO=1\r\n"), std::string::npos);

  // The default is loaded with the company, before the dates bring the year's rate items.
  Db().Execute("INSERT INTO TEMPRESA_ITENSEXP_CONFIG (BDCODEMP, BDTELA) VALUES (1, 'frExportacaoECF')");
  Salva(0, "cbRetificadora", "1");
  Salva(0, "cbPercentualAliquotaCSLL", "2");   // "4 - 15%" in the 2024 items
  std::filesystem::remove(pasta.Caminho / "ECF0001_1_2024_1.TXT");
  TAutoThreadExportacaoECF outra;
  outra.DiretorioPlano = [this](int) { return pasta.Caminho.string(); };
  outra.SetParametro("referencia", "202401");
  outra.SetParametro("cod_empresa", "1");
  outra.ExecuteTask();
  EXPECT_EQ(outra.StatusExecucao(), tscSucesso) << outra.MensagemExecucao();
  EXPECT_NE(Le(pasta.Caminho / "ECF0001_1_2024_1.TXT").find("ALIQUOTACSLL=4\r\n"), std::string::npos);
  EXPECT_TRUE(dialogs.Calls().empty());
}

// Every choice the screen saves reaches the task's file: the 2023 transfer-price option and regimes.
TEST_F(TarefaECF, TheTaskRestoresTheYearsOwnChoicesAndACompanyCodeBelowOneIsNoCompany) {
  Salva(1, "cbRetificadora", "1");
  Salva(1, "ckNovaRegraPrecoTransf2023", "True");
  Salva(1, "ckRepes_Recap_Padis", "True");
  Salva(1, "ckReporto", "True");
  // The last attachment picked on the screen, a file that is no RTF: shown again, neither attached
  // nor refused.
  std::ofstream(pasta.Caminho / "balanco.pdf") << "%PDF";
  Salva(1, "edRtf", (pasta.Caminho / "balanco.pdf").string());
  tarefa.SetParametro("referencia", "202312");
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscSucesso) << tarefa.MensagemExecucao();
  const std::string txt = Le(pasta.Caminho / "ECF0001_1_2023_1.TXT");
  EXPECT_EQ(txt.find("Y800="), std::string::npos) << txt;
  EXPECT_NE(txt.find("NOVAREGRAPRECOTRANSF2023=1\r\n"), std::string::npos) << txt;
  EXPECT_NE(txt.find("REGIMES2023=0,1,0,0,0,0,0,0,0,0\r\n"), std::string::npos) << txt;
  // The newest set, saved by the task, keeps them.
  EXPECT_EQ(Db().QueryValue("SELECT BDCOMPVALUE FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDCOMPNAME = "
                            "'ckNovaRegraPrecoTransf2023' AND BDSEQUENCIA = (SELECT MAX(BDSEQUENCIA) FROM "
                            "TEXPORTACAO_ITEMSTELA_CONFIG)")
                .AsString(),
            "True");

  const int conjuntos = static_cast<int>(
      Db().QueryValue("SELECT COUNT(DISTINCT BDSEQUENCIA) FROM TEXPORTACAO_ITEMSTELA_CONFIG").AsInteger());
  TAutoThreadExportacaoECF negativa;
  negativa.DiretorioPlano = [this](int) { return pasta.Caminho.string(); };
  negativa.SetParametro("referencia", "202312");
  negativa.SetParametro("cod_empresa", "-1");
  EXPECT_ANY_THROW(negativa.ExecuteTask());
  EXPECT_EQ(negativa.MensagemExecucao(), "Empresa não cadastrada ou não informada.");
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(DISTINCT BDSEQUENCIA) FROM TEXPORTACAO_ITEMSTELA_CONFIG").AsInteger(),
            conjuntos);
  EXPECT_TRUE(dialogs.Calls().empty());
}

// The SPED validation restores a set the same way: what it cannot read ends the job naming the field.
TEST_F(TarefaECF, TheValidationRoadRefusesAnUnreadableSavedValueToo) {
  Salva(1, "cbRetificadora", "1");
  Salva(1, "cbSituacaoEspecial", "6");
  Salva(1, "edDataSituacaoEspecial", "31/12/2023");
  Salva(1, "edRemanescente", "1e5");
  auto tela = MakeForm<TfrExportacaoECF>();
  try {
    tela->ExportaToValidador(1, EncodeDate(2023, 1, 1), EncodeDate(2023, 12, 31), pasta.Caminho.string());
    ADD_FAILURE() << "exported";
  } catch (const EExceptionTratadaInformativa_VYN& e) {
    EXPECT_NE(std::string(e.what()).find("O valor salvo \"1e5\" do campo \"edRemanescente\""), std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(pasta.Caminho / "ECF0001_1_2023_1.TXT"));
  EXPECT_TRUE(dialogs.Calls().empty());
}

// The attachments saved with the set go out in their order (the tenth after the second); one whose
// file is gone, or is no longer one the list takes, ends the task and the validation naming it.
TEST_F(TarefaECF, TheSavedAttachmentsGoOutAndAGoneOrForeignFileIsRefusedNamingIt) {
  Salva(1, "cbRetificadora", "1");
  std::string esperado;
  for (int i = 1; i <= 10; ++i) {
    const auto arq = pasta.Caminho / ("anexo" + std::to_string(i) + (i % 2 ? ".rtf" : ".txt"));
    std::ofstream(arq) << "{\\rtf1}";
    Salva(1, "clbListaArquivos_" + std::to_string(i), "003 - " + arq.string());
    esperado += "Y800=003 - " + arq.string() + "\r\n";
  }
  tarefa.SetParametro("referencia", "202312");
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscSucesso) << tarefa.MensagemExecucao();
  EXPECT_NE(Le(pasta.Caminho / "ECF0001_1_2023_1.TXT").find(esperado), std::string::npos);
  // The task's own set keeps them.
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = 2 AND "
                            "BDCOMPNAME STARTING WITH 'clbListaArquivos_'")
                .AsInteger(),
            10);

  std::filesystem::remove(pasta.Caminho / "ECF0001_1_2023_1.TXT");
  std::filesystem::remove(pasta.Caminho / "anexo2.txt");
  TAutoThreadExportacaoECF outra;
  outra.DiretorioPlano = [this](int) { return pasta.Caminho.string(); };
  outra.SetParametro("referencia", "202312");
  outra.SetParametro("cod_empresa", "1");
  EXPECT_ANY_THROW(outra.ExecuteTask());
  EXPECT_EQ(outra.StatusExecucao(), tscErro);
  EXPECT_NE(outra.MensagemExecucao().find("\"" + (pasta.Caminho / "anexo2.txt").string() + "\", não existe mais."),
            std::string::npos)
      << outra.MensagemExecucao();
  EXPECT_FALSE(std::filesystem::exists(pasta.Caminho / "ECF0001_1_2023_1.TXT"));

  std::ofstream(pasta.Caminho / "anexo2.pdf") << "%PDF";
  Db().Execute("UPDATE TEXPORTACAO_ITEMSTELA_CONFIG SET BDCOMPVALUE = ? WHERE BDCOMPNAME = 'clbListaArquivos_2'",
               {"003 - " + (pasta.Caminho / "anexo2.pdf").string()});
  auto tela = MakeForm<TfrExportacaoECF>();
  try {
    tela->ExportaToValidador(1, EncodeDate(2023, 1, 1), EncodeDate(2023, 12, 31), pasta.Caminho.string());
    ADD_FAILURE() << "exported";
  } catch (const EExceptionTratadaInformativa_VYN& e) {
    EXPECT_NE(std::string(e.what()).find("anexo2.pdf\", não é um arquivo rtf válido."), std::string::npos) << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(pasta.Caminho / "ECF0001_1_2023_1.TXT"));
  EXPECT_TRUE(dialogs.Calls().empty());
}

// The rate lists change by year: a default saved in 2018 with its third item, "3 - 20%", exports
// rate 3 in 2023, where the third item is "4 - 15%".
TEST_F(TarefaECF, ADefaultSavedInAnotherYearKeepsItsCsllRateByItsCode) {
  Db().Execute("INSERT INTO TEMPRESA_ITENSEXP_CONFIG (BDCODEMP, BDTELA) VALUES (1, 'frExportacaoECF')");
  Salva(0, "cbRetificadora", "1");
  Salva(0, "edDataIni", "01/01/2018");
  Salva(0, "cbPercentualAliquotaCSLL", "2");
  tarefa.SetParametro("referencia", "202312");
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscSucesso) << tarefa.MensagemExecucao();
  EXPECT_NE(Le(pasta.Caminho / "ECF0001_1_2023_1.TXT").find("ALIQUOTACSLL=3\r\n"), std::string::npos);
  EXPECT_TRUE(dialogs.Calls().empty());
}

// A set saved for 2019 holds options a 2024 screen no longer offers: they are not handed over.
TEST_F(TarefaECF, OptionsOfAnEarlierYearTheYearNoLongerOffersAreNotHandedOver) {
  Salva(1, "cbRetificadora", "1");
  Salva(1, "edDataIni", "01/01/2019");
  Salva(1, "cbOptantePaes", "1");                              // "S - Sim"
  Salva(1, "ckEfetuouVendas", "True");                         // sales to exporters
  Salva(1, "ckProgramaDesenvolvimentoTVDigital", "True");      // an older special regime
  ProcessContext().Referencia = 202501;
  tarefa.SetParametro("referencia", "202412");
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscSucesso) << tarefa.MensagemExecucao();
  const std::string txt = Le(pasta.Caminho / "ECF0001_1_2024_1.TXT");
  EXPECT_NE(txt.find("OPTANTEPAES=N\r\n"), std::string::npos) << txt;
  EXPECT_NE(txt.find("REGIMESANTERIORES=0,0,0,0,0,0,0,0,0,0\r\n"), std::string::npos) << txt;
  const size_t i = txt.find("INDICADORES0020=");
  ASSERT_NE(i, std::string::npos);
  const std::vector<std::string> indicadores = Split(txt.substr(i + 16, txt.find('\r', i) - i - 16), ',');
  ASSERT_EQ(indicadores.size(), 28u);
  EXPECT_EQ(indicadores[12], "0");   // ckEfetuouVendas
}

// A scheduled export of a new month finds no folder of the plan's month: the task makes it. A folder
// it cannot make, or a file the folder cannot take, is said as it is, not as a chart divergence.
TEST_F(TarefaECF, TheTaskMakesThePlansFolderAndSaysPlainlyWhenTheDestinationCannotBeWritten) {
  Salva(1, "cbRetificadora", "1");
  const std::filesystem::path mes = pasta.Caminho / "planos" / "0" / "202312";
  tarefa.DiretorioPlano = [&mes](int) { return mes.string(); };
  tarefa.SetParametro("referencia", "202312");
  tarefa.ExecuteTask();
  EXPECT_EQ(tarefa.StatusExecucao(), tscSucesso) << tarefa.MensagemExecucao();
  EXPECT_TRUE(std::filesystem::is_regular_file(mes / "ECF0001_1_2023_1.TXT"));

  std::ofstream(pasta.Caminho / "arquivo") << "não é uma pasta";
  TAutoThreadExportacaoECF semPasta;
  semPasta.DiretorioPlano = [this](int) { return (pasta.Caminho / "arquivo" / "202312").string(); };
  semPasta.SetParametro("cod_empresa", "1");
  semPasta.SetParametro("referencia", "202312");
  EXPECT_ANY_THROW(semPasta.ExecuteTask());
  EXPECT_EQ(semPasta.MensagemExecucao().rfind("Não foi possível criar a pasta de destino da exportação", 0), 0u)
      << semPasta.MensagemExecucao();

  // The file's name is taken by a folder: the generator cannot write it.
  std::filesystem::remove(mes / "ECF0001_1_2023_1.TXT");
  std::filesystem::create_directories(mes / "ECF0001_1_2023_1.TXT");
  TAutoThreadExportacaoECF semArquivo;
  semArquivo.DiretorioPlano = [&mes](int) { return mes.string(); };
  semArquivo.SetParametro("cod_empresa", "1");
  semArquivo.SetParametro("referencia", "202312");
  EXPECT_ANY_THROW(semArquivo.ExecuteTask());
  EXPECT_EQ(semArquivo.MensagemExecucao().rfind("Não foi possível gravar o arquivo", 0), 0u)
      << semArquivo.MensagemExecucao();
  EXPECT_TRUE(dialogs.Calls().empty());
}

// A run stopped once the file is written but before its set and history are in takes its file away,
// so that the rerun exports; a signal that lands after them finds the export done, and the run says so.
TEST_F(TarefaECF, AnExportStoppedBeforeItsSetLeavesNoFileAndASignalAfterItFindsItDone) {
  struct TLimpaSinal {
    ~TLimpaSinal() {
      ProcessContext().SinalInterrupcao = 0;
      TExecucaoConcluida::Reabre();
    }
  } limpa;
  const std::filesystem::path arquivo = pasta.Caminho / "ECF0001_1_2023_1.TXT";
  auto sets = [this] {
    return Db().QueryValue("SELECT COUNT(*) FROM PLANOS_TPLA_SPED WHERE BDCODEMP = 1").AsInteger();
  };
  Salva(1, "cbRetificadora", "1");
  // The history line cannot be written: the save after the file fails.
  Db().Execute("CREATE TRIGGER TFALHA_HISTORICO FOR PLANOS_TPLA_SPED BEFORE INSERT AS BEGIN "
               "NEW.BDSEQUENCIA = 1 / 0; END");
  tarefa.SetParametro("referencia", "202312");
  tarefa.SetParametro("ckSobreporArquivoDestino", "False");
  EXPECT_ANY_THROW(tarefa.ExecuteTask());
  EXPECT_EQ(tarefa.StatusExecucao(), tscErro);
  EXPECT_FALSE(std::filesystem::exists(arquivo));
  EXPECT_EQ(sets(), 0);

  Db().Execute("DROP TRIGGER TFALHA_HISTORICO");
  TAutoThreadExportacaoECF outra;
  outra.DiretorioPlano = [this](int) { return pasta.Caminho.string(); };
  outra.SetParametro("cod_empresa", "1");
  outra.SetParametro("referencia", "202312");
  outra.SetParametro("ckSobreporArquivoDestino", "False");
  outra.OnLog = [](const std::string& linha) {
    if (linha == "Buscando as informações para exportação...") ProcessContext().SinalInterrupcao = SIGTERM;
  };
  outra.ExecuteTask();
  EXPECT_EQ(ProcessContext().SinalInterrupcao, SIGTERM);   // it came, after the export was complete
  EXPECT_TRUE(TExecucaoConcluida::Marcada());               // so the host ends with the run's success
  ProcessContext().SinalInterrupcao = 0;
  EXPECT_EQ(outra.StatusExecucao(), tscSucesso) << outra.MensagemExecucao();
  EXPECT_EQ(outra.LogTarvo().back(), "Processo finalizado");
  EXPECT_TRUE(std::filesystem::is_regular_file(arquivo));
  EXPECT_EQ(sets(), 1);
  EXPECT_TRUE(dialogs.Calls().empty());
}

// A re-export whose settings cannot be saved leaves the earlier export's file and its record as they
// were: the new file waits beside them and goes with the failure. The next run replaces both.
TEST_F(TarefaECF, AFailedReexportKeepsTheEarlierExportsFileAndRecord) {
  const std::filesystem::path arquivo = pasta.Caminho / "ECF0001_1_2023_1.TXT";
  auto sets = [this] {
    return Db().QueryValue("SELECT COUNT(*) FROM PLANOS_TPLA_SPED WHERE BDCODEMP = 1").AsInteger();
  };
  auto conteudo = [&arquivo] {
    std::ifstream in(arquivo, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  auto entradas = [this] {
    return std::distance(std::filesystem::directory_iterator(pasta.Caminho), std::filesystem::directory_iterator());
  };
  auto exporta = [this] {
    auto t = std::make_unique<TAutoThreadExportacaoECF>();
    t->DiretorioPlano = [this](int) { return pasta.Caminho.string(); };
    t->SetParametro("cod_empresa", "1");
    t->SetParametro("referencia", "202312");
    try {
      t->ExecuteTask();
    } catch (const std::exception&) {
    }
    return t;
  };
  Salva(1, "cbRetificadora", "1");
  Salva(1, "ckExportaZeradas", "False");
  ASSERT_EQ(exporta()->StatusExecucao(), tscSucesso);
  const std::string primeiro = conteudo();
  ASSERT_FALSE(primeiro.empty());
  ASSERT_EQ(sets(), 1);

  Db().Execute("CREATE TRIGGER TFALHA_HISTORICO FOR PLANOS_TPLA_SPED BEFORE INSERT AS BEGIN "
               "NEW.BDSEQUENCIA = 1 / 0; END");
  Db().Execute("UPDATE TEXPORTACAO_ITEMSTELA_CONFIG SET BDCOMPVALUE = 'True' WHERE BDCOMPNAME = 'ckExportaZeradas'");
  EXPECT_EQ(exporta()->StatusExecucao(), tscErro);
  EXPECT_EQ(conteudo(), primeiro);
  EXPECT_EQ(entradas(), 1);   // nothing of the failed run is left beside it
  EXPECT_EQ(sets(), 1);

  Db().Execute("DROP TRIGGER TFALHA_HISTORICO");
  EXPECT_EQ(exporta()->StatusExecucao(), tscSucesso);
  EXPECT_NE(conteudo(), primeiro);
  EXPECT_EQ(entradas(), 1);
  EXPECT_EQ(sets(), 2);
  EXPECT_TRUE(dialogs.Calls().empty());
}

TEST(P500ECF, ConfirmWritesBothValuesAndCancelWritesNothing) {
  TComponent dono;
  auto* d51 = dono.Create<TParametrosBlocoP500>();
  auto* d52 = dono.Create<TParametrosBlocoP500>();
  d51->Valor = Currency::Parse("10,50");
  auto abre = [&] {
    TListaObj l;
    l.Add(d51);
    l.Add(d52);
    auto f = MakeForm<TfrPreparacaoDadosComplementaresECFP500>();
    f->SetListaObj(l);
    return std::make_pair(std::move(f), std::move(l));
  };
  {
    auto [f, l] = abre();
    EXPECT_EQ(f->edValorP500_51->Value(), Currency::Parse("10,50"));   // what was typed before
    f->edValorP500_52->SetValue(Currency::Parse("99"));
    f->spCancelar->Click();
  }
  EXPECT_TRUE(d52->Valor.IsZero());
  {
    auto [f, l] = abre();
    f->edValorP500_52->SetFocus();
    f->edValorP500_52->SetText("-5");   // the field takes no sign: leaving it is refused, nothing written
    int tab = 9;
    EXPECT_THROW(f->KeyDown(tab, 0), EValidationError);
    EXPECT_TRUE(f->edValorP500_52->Focused());
  }
  EXPECT_TRUE(d52->Valor.IsZero());
  {
    auto [f, l] = abre();
    f->edValorP500_52->SetFocus();
    f->edValorP500_52->SetText("1.234,56");
    auto tecla = [&](int key, unsigned shift) {   // a handled key is consumed: each press is a new one
      f->edValorP500_52->SetFocus();
      f->KeyDown(key, shift);
    };
    tecla(9, ssShift);   // Shift+Tab: backwards, nothing
    EXPECT_TRUE(f->edValorP500_51->Focused());
    tecla(38, 0);        // the Up arrow: backwards too
    EXPECT_TRUE(d52->Valor.IsZero());
    tecla(9, 0);         // tabbing out of the second value confirms
  }
  EXPECT_EQ(d52->Codigo, "0.52");
  EXPECT_EQ(d52->Valor, Currency::Parse("1.234,56"));
  EXPECT_EQ(d51->Codigo, "0.51");
  EXPECT_EQ(d51->Descricao, "Total das receitas brutas computadas no trimestre");
}

}  // namespace
}  // namespace integracao
