#include "entryimport/uAutoThreadImportacaoLancamentoDYQ.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <fmt/format.h>

#include "entryimport/entryimport_test_support.h"
#include "framework/data/pasta_trabalho.h"
#include "framework/component/class_registry.h"
#include "framework/host/erro_exception.h"
#include "framework/host/publicas.h"
#include "module/registro.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;

const std::string kLista = "/api/v1/lancamentos-contabeis/";

class DyqTaskTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    SemeiaDyq(Db(), server_.BaseURL());
    TPublicas::SetReferencia(202401);
    RegistraModulo(ClassRegistry(), RegistrosRevisaoLancamentos());
    ProcessContext().WP_AGENDAMENTO = 9;
    ProcessContext().WP_PLANO_TARVO = 3;
    ProcessContext().WP_ORDEM_AGENDAMENTO = 1;
    ProcessContext().CustomerCode = "123";
    server_.On("PUT", kLista + "integracao", TFakeResponse(200, "{}"));
  }
  void TearDown() override {
    ProcessContext().WP_AGENDAMENTO = ProcessContext().WP_PLANO_TARVO = ProcessContext().WP_ORDEM_AGENDAMENTO = 0;
    ProcessContext().CustomerCode.clear();
    DesregistraModulo(ClassRegistry(), RegistrosRevisaoLancamentos());
    CompanyDatabaseTest::TearDown();
  }
  // Files 1..n on the service, file i holding conteudo(i); their ids follow those of the files listed
  // before (a file keeps its id on the service, and a new file never takes an old one's).
  void Arquivos(int n, const std::function<std::string(int)>& conteudo) {
    std::string lista;
    for (int i = 1; i <= n; ++i)
      lista += std::string(i > 1 ? "," : "") + R"({"id":")" + std::to_string(base_ + i) +
               R"(","nome":"A","data_inicial":"2024-01-01T00:00:00Z","data_final":"2024-01-31T00:00:00Z"})";
    server_.On("GET", kLista, TFakeResponse(200, R"({"lancamentos_contabeis":[)" + lista + "]}"));
    server_.On("GET", kLista + "busca", [this](const TFakeRequest& r) {
      return TFakeResponse(200, R"({"link":")" + server_.BaseURL() + "/f/" + r.Param("lancamento_id") +
                                    R"(","data_inicial":"2024-01-01T00:00:00Z","data_final":"2024-01-31T00:00:00Z","nome":"A"})");
    });
    for (int i = 1; i <= n; ++i)
      server_.On("GET", "/f/" + std::to_string(base_ + i), TFakeResponse(200, conteudo(i), "text/plain"));
    base_ += n;
  }
  // Runs the task; answers the raised error's text ("" when none).
  std::string Executa(const std::map<std::string, std::string>& parametros = {}) {
    TAutoThreadImportacaoLancamentoDYQ task;
    task.SetParametro("cod_empresa", "1");
    task.SetParametro("referencia", "202401");
    for (const auto& [nome, valor] : parametros) task.SetParametro(nome, valor);
    std::string erro;
    try {
      task.ExecuteTask();
    } catch (const TErroException& e) {
      erro = e.what();
    }
    log_ = task.LogTarvo();
    status_ = task.StatusExecucao();
    mensagem_ = task.MensagemExecucao();
    return erro;
  }
  TQueryResult Conferencia() {
    return Db().QueryAll("select BDCODSTATUS, BDINCONSISTENCIA from VSH_EMP_TCONF_IMPORTACOES where "
                         "BDCODAGENDAMENTO = 9 and BDCODEMP = 1 and BDTIPOCONFERENCIA = 6");
  }

  TPastaProgramaFeeders programa_;
  TFakeHttpServer server_;
  int base_ = 0;   // ids of the files listed so far
  std::vector<std::string> log_;
  TTipoStatusConferencia status_ = tscSucesso;
  std::string mensagem_;   // the run's result message
};

TEST_F(DyqTaskTest, NoWaitingFileEndsWithTheMessageButARefusedListFails) {
  Arquivos(0, nullptr);
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(ProcessContext().FMensagemInconsistencia, "Não foram encontrados arquivos a serem importados");
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 1);
  EXPECT_EQ(status_, tscSucesso);
  EXPECT_EQ(log_, (std::vector<std::string>{"Iniciando o processo..."}));

  // A list the service refused is no empty list: the run fails with the service's answer, never
  // a success row, and the token stays out of it.
  server_.On("GET", kLista,
             TFakeResponse(401, std::string(R"({"message":"token inválido )") + kTokenDyqTeste + R"(","error":"!"})"));
  const std::string erro = Executa();
  EXPECT_EQ(erro.rfind("Não foi possível acessar os lançamentos do DYQ! 401 - token inválido ", 0), 0u) << erro;
  EXPECT_EQ(erro.find(kTokenDyqTeste), std::string::npos);
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(Conferencia().Value(0, "BDINCONSISTENCIA").AsString(), erro);
  EXPECT_EQ(status_, tscErro);

  // A schedule for a company that is not on Dyq says so and fails: no run of it can import a file.
  Db().Execute("update TEMPRESAS set BDDYQ = 'FALSE' where BDCODEMP = 1");
  EXPECT_EQ(Executa(), "Empresa não possui o DYQ!");
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(Conferencia().Value(0, "BDINCONSISTENCIA").AsString(), "Empresa não possui o DYQ!");
  EXPECT_EQ(status_, tscErro);
}

TEST_F(DyqTaskTest, ImportsEveryFileFromTheLastRowAndMarksEachOnce) {
  Arquivos(3, [](int i) { return "L,1,0" + std::to_string(i + 1) + "/01/2024,40,11," + std::to_string(i * 10) + "\n"; });
  EXPECT_EQ(Executa(), "");
  std::vector<std::string> buscas, marcados;
  for (const TFakeRequest& r : server_.Requests()) {
    if (r.Path == kLista + "busca") buscas.push_back(r.Param("lancamento_id"));
    if (r.Method == "PUT") marcados.push_back(r.Body);
  }
  EXPECT_EQ(buscas, (std::vector<std::string>{"3", "2", "1"}));
  EXPECT_EQ(marcados, (std::vector<std::string>{R"({"lancamento_id":3})", R"({"lancamento_id":2})", R"({"lancamento_id":1})"}));
  EXPECT_EQ(Db().QueryValue("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN").AsCurrency(), Currency::FromInt(60));
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 1);
  // The import's end message ("Importação finalizada: ...") is no inconsistency.
  EXPECT_EQ(status_, tscSucesso) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(log_.back(), "Processo finalizado");
  EXPECT_EQ(programa_.ArquivosTemp(), 0);
}

TEST_F(DyqTaskTest, TheRunsMessageCountsTheLinesOfEveryFile) {
  Arquivos(2, [](int i) {
    return i == 1 ? std::string("L,1,05/01/2024,40,11,7\nL,1,06/01/2024,40,11,8\n") : std::string("L,1,07/01/2024,40,11,9\n");
  });
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(status_, tscSucesso);
  EXPECT_EQ(mensagem_, "Importação finalizada: 3 lançamento(s) importado(s), 0 não importado(s).");
  // Each file still tells its own in the log.
  EXPECT_EQ(std::count_if(log_.begin(), log_.end(),
                          [](const std::string& l) { return l.find("Importação finalizada: ") != std::string::npos; }),
            2);
}

TEST_F(DyqTaskTest, TheRunIsJudgedFromTheEntryRowsItWrote) {
  // Every line refused (an account the chart lacks): nothing imported.
  Arquivos(1, [](int) { return "L,1,05/01/2024,999,11,7\n"; });
  EXPECT_EQ(Executa(), "Nenhuma lançamento importado, foram encontradas inconsistencias");
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(Conferencia().Value(0, "BDINCONSISTENCIA").AsString(),
            "Nenhum lançamento importado, foram encontradas inconsistencias");
  EXPECT_EQ(status_, tscErro);
  EXPECT_NE(log_.back(), "Processo finalizado");

  // The same schedule key again: the refused row of the run before is not this run's.
  Arquivos(1, [](int) { return "L,1,05/01/2024,40,11,7\n"; });
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 1);
  EXPECT_EQ(status_, tscSucesso);

  Arquivos(1, [](int) { return "L,1,05/01/2024,40,11,8\nL,1,05/01/2024,999,11,7\n"; });
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 2);
  EXPECT_EQ(Conferencia().Value(0, "BDINCONSISTENCIA").AsString(), "Lançamentos importados, foram encontradas inconsistencias");
  EXPECT_EQ(status_, tscInconsistente);

  // The same file again: its good line was booked before, so nothing is told as imported.
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 2);
  EXPECT_EQ(Conferencia().Value(0, "BDINCONSISTENCIA").AsString(),
            "Nenhum lançamento importado, foram encontradas inconsistencias");
  EXPECT_EQ(status_, tscInconsistente);

  // An empty file writes no entry row at all, whatever the runs before wrote.
  Arquivos(1, [](int) { return std::string("\n"); });
  EXPECT_EQ(Executa(), "Nenhuma lançamento encontrado");
  EXPECT_EQ(Conferencia().Value(0, "BDINCONSISTENCIA").AsString(), "Nenhuma lançamento encontrado");
  EXPECT_EQ(status_, tscErro);
}

// The same lines released again as another file: with the comparison on, the run posts none of them
// again, confirms them and marks the file.
TEST_F(DyqTaskTest, LinesPostedBeforeAreNotPostedAgainWhenComparing) {
  auto conteudo = [](int) { return std::string("L,1,05/01/2024,40,11,7\nL,1,05/01/2024,40,11,7\n"); };
  Arquivos(1, conteudo);
  Executa();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);

  Arquivos(1, conteudo);
  EXPECT_EQ(Executa({{"ckCompararLancJaLancado", "true"}}), "");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 1);
  EXPECT_EQ(status_, tscSucesso) << ProcessContext().FMensagemInconsistencia;
  EXPECT_NE(ProcessContext().FMensagemInconsistencia.find("2 já lançado(s) anteriormente"), std::string::npos)
      << ProcessContext().FMensagemInconsistencia;

}

// Without the comparison too, a file imported before is known by what it put in the ledger: the next
// run retries its marking and posts nothing again; once its entries are deleted it may come again.
TEST_F(DyqTaskTest, AFileWhoseMarkingFailedIsNeverPostedTwice) {
  Arquivos(1, [](int) { return "L,1,05/01/2024,40,11,7\nL,1,06/01/2024,40,11,8\n"; });
  server_.On("PUT", kLista + "integracao", TFakeResponse(503, R"({"message":"fora do ar","error":""})"));
  Executa();
  EXPECT_EQ(status_, tscInconsistente);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);

  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);
  EXPECT_EQ(status_, tscInconsistente) << "the marking failed again";
  server_.On("PUT", kLista + "integracao", TFakeResponse(200, "{}"));
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);
  EXPECT_EQ(status_, tscSucesso) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 1);
  int marcacoes = 0;
  for (const TFakeRequest& r : server_.Requests()) marcacoes += r.Method == "PUT";
  EXPECT_EQ(marcacoes, 3);

  ExecutaComoSuite(Db(), "delete from VZEL_EMPRESAS_TLAN");
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);
}

// Lines the reader refuses are the run's inconsistencies, each named in the log.
TEST_F(DyqTaskTest, LinesTheReaderRefusesMakeTheRunInconsistent) {
  Arquivos(1, [](int) {
    return "L,1,05/01/2024,40,11,7\nL,1,05/01/2024,40,11,7.123\nL,1,05/02/2024,40,11,7\nL,2,05/01/2024,40,11,7\n";
  });
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 1);
  EXPECT_EQ(status_, tscInconsistente);
  EXPECT_EQ(Conferencia().Value(0, "BDCODSTATUS").AsInteger(), 2);
  for (int linha : {2, 3, 4})
    EXPECT_TRUE(std::any_of(log_.begin(), log_.end(), [&](const std::string& l) {
      return l.find("Linha " + std::to_string(linha) + " do arquivo não importada") != std::string::npos;
    })) << linha;
}

// One line the database could not hold (a character WIN1252 lacks, a control character, a note or a
// complement rewritten by its history beyond its column) is refused by its number; the file's other
// lines are posted and the longest note the reader takes reaches the ledger whole; the file stays on Dyq
// for its refused lines (its next import books only them).
TEST_F(DyqTaskTest, OneBadLineNeverSinksItsFile) {
  Db().Execute("insert into HIST_TPHI (BDCODHIST, BDCODTPHI, BDAPELIDO, BDNOME) select first 1 BDCODHIST, 90, 'NF', "
               "'#COMPL #COMPL' from HIST_TPHI");
  std::string nota;
  for (int i = 0; i < 25000; ++i) nota += "\xC3\xA9";   // é: 50,000 bytes of UTF-8
  const std::string arquivo = "L,1,05/01/2024,40,11,7,,com nota,,,,,\"" + nota + "\"\n"
                              "L,1,05/01/2024,40,11,1,,Caf\xC3\xA9 \xE2\x98\x95 \xF0\x9F\x98\x80\n"
                              "L,1,05/01/2024,40,11,1,,nota longa,,,,,\"" + std::string(25001, 'a') + "\"\n"
                              "L,1,05/01/2024,40,11,1,90," + std::string(4001, 'x') + "\n"
                              "L,1,05/01/2024,40,11,1,,com \x1B escape\n"
                              "L,1,06/01/2024,40,11,8,90,curto\n";
  Arquivos(1, [&](int) { return arquivo; });
  EXPECT_EQ(Executa({{"ckAlterarComplemento", "true"}}), "");
  EXPECT_EQ(status_, tscInconsistente) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Db().QueryValue("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN").AsCurrency(), Currency::FromInt(15));
  EXPECT_EQ(Db().QueryValue("select BDDESCRICAO from VZEL_EMPRESAS_TLAN where BDVALOR = 7").AsString(), nota);
  EXPECT_EQ(Db().QueryValue("select BDCOMPL from VZEL_EMPRESAS_TLAN where BDVALOR = 8").AsString(), "curto curto");
  const std::pair<int, const char*> recusas[] = {
      {2, "campo complemento: o texto \"Caf\xC3\xA9 \xE2\x98\x95 \xF0\x9F\x98\x80\" contém caracteres que o banco de dados "
          "(WIN1252) não aceita"},
      {3, "campo nota explicativa: o texto"},
      {4, "campo complemento: o texto"},
      {5, "campo complemento: o texto contém o caractere de controle 0x1b"}};
  for (const auto& [linha, motivo] : recusas)
    EXPECT_TRUE(std::any_of(log_.begin(), log_.end(), [&, l = linha, m = motivo](const std::string& t) {
      return t.find(fmt::format("Linha {} do arquivo não importada: {}", l, m)) != std::string::npos;
    })) << linha;
  int marcacoes = 0;
  for (const TFakeRequest& r : server_.Requests()) marcacoes += r.Method == "PUT";
  EXPECT_EQ(marcacoes, 0);
}

// A file the service keeps as a workbook is read as one: its rows are the layout's records, refused by
// their sheet rows; like any file with a refused row, it is not reported integrated.
TEST_F(DyqTaskTest, AWorkbookFromDyqIsReadAsAWorkbook) {
  const std::filesystem::path pasta = programa_.Pasta() / "pastas";
  std::filesystem::create_directories(pasta);
  const std::string arquivo = (pasta / "lanc.xlsx").string();
  GravaPastaXlsx(arquivo, {{"Tipo", "Empresa", "Data", "Débito", "Crédito", "Valor"},
                           {"L", "1", "05/01/2024", "40", "11", "7"},
                           {"L", "1", "06/01/2024", "40", "11", "8,123"},
                           {"L", "1", "07/01/2024", "40", "11", "9"}});
  std::ifstream in(arquivo, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Arquivos(1, [&](int) { return bytes; });
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(status_, tscInconsistente) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Db().QueryValue("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN").AsCurrency(), Currency::FromInt(16));
  EXPECT_TRUE(std::any_of(log_.begin(), log_.end(), [](const std::string& l) {
    return l.find("Linha 3 do arquivo não importada: campo valor") != std::string::npos;
  }));
  int marcacoes = 0;
  for (const TFakeRequest& r : server_.Requests()) marcacoes += r.Method == "PUT";
  EXPECT_EQ(marcacoes, 0);
}

// One file that cannot be imported (a search answer with no date, an importer that raises, a file
// that does not balance) is that file's inconsistency: the others are still imported.
TEST_F(DyqTaskTest, OneFailedFileNeverEndsTheRun) {
  Arquivos(4, [](int i) {
    if (i == 3) return std::string("L,1,05/01/2024,40,11,7\nL,1,05/01/2024,40,,5\n");
    return "L,1,05/01/2024,40,11," + std::to_string(i) + ",1,,35250112345678000190550010000012341000012345\n"
           "L,1,06/01/2024,40,11," + std::to_string(i) + "\n";
  });
  server_.On("GET", kLista + "busca", [this](const TFakeRequest& r) {
    const std::string id = r.Param("lancamento_id");
    return TFakeResponse(200, R"({"link":")" + server_.BaseURL() + "/f/" + id + R"(","data_inicial":")" +
                                  (id == "4" ? "amanhã" : "2024-01-01") + R"(","data_final":"2024-01-31","nome":"A"})");
  });
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);
  EXPECT_EQ(Db().QueryValue("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN").AsCurrency(), Currency::FromInt(3));
  EXPECT_EQ(status_, tscInconsistente);
  auto noLog = [&](const std::string& texto) {
    return std::any_of(log_.begin(), log_.end(), [&](const std::string& l) { return l.find(texto) != std::string::npos; });
  };
  EXPECT_TRUE(noLog("Arquivo 4 (A) do DYQ não importado: data inicial ou final inválida"));
  EXPECT_TRUE(noLog("Arquivo 3 (A) do DYQ: Os débitos"));
  EXPECT_TRUE(noLog("campo documento"));
  // Files 1 and 2 each keep a refused line: neither is reported integrated.
  int marcacoes = 0;
  for (const TFakeRequest& r : server_.Requests()) marcacoes += r.Method == "PUT";
  EXPECT_EQ(marcacoes, 0);

  // An importer that raises ends only its file, and leaves no work file behind.
  DesregistraModulo(ClassRegistry(), RegistrosRevisaoLancamentos());
  Arquivos(1, [](int) { return std::string("L,1,05/01/2024,40,11,7\n"); });
  EXPECT_EQ(Executa(), "Nenhuma lançamento importado, foram encontradas inconsistencias");
  EXPECT_EQ(programa_.ArquivosTemp(), 0);
  EXPECT_TRUE(noLog("Arquivo 5 (A) do DYQ: não importado: "));
  RegistraModulo(ClassRegistry(), RegistrosRevisaoLancamentos());
}

// A participant the file declares is registered with the import; a line naming one that is neither
// registered nor declared is refused rather than posted pointing at nobody.
TEST_F(DyqTaskTest, DeclaredParticipantsAreRegisteredAndUnknownOnesRefuseTheirLine) {
  Arquivos(1, [](int) {
    return std::string("P,500,Forn,Fornecedor Quinhentos,11.222.333/0001-81,Rua,das Flores,10,,Centro,01310-100,"
                       "3550308,,,,11,5555-1234,,,05/01/2024,forn@exemplo.com,1058\n"
                       "P,501,Outro,Sem endereço\n"
                       "L,1,05/01/2024,40,11,7,1,,,,500\nL,1,06/01/2024,40,11,8,1,,,,,600\n");
  });
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(status_, tscInconsistente);
  auto r = Db().QueryAll("select BDNOMETER, BDCGCTER, BDAPELIDOTER, BDENDTER, BDCEPTER, BDCODCID, BDFONETER, "
                         "BDDATACADTER, BDEMAILTER, BDCODPAIS from TTERCEIRO where BDCODTER = 500");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Value(0, "BDNOMETER").AsString(), "Fornecedor Quinhentos");
  EXPECT_EQ(r.Value(0, "BDCGCTER").AsString(), "11222333000181");
  EXPECT_EQ(r.Value(0, "BDAPELIDOTER").AsString(), "Forn");
  EXPECT_EQ(r.Value(0, "BDENDTER").AsString(), "das Flores");
  EXPECT_EQ(r.Value(0, "BDCEPTER").AsString(), "01310100");
  EXPECT_EQ(r.Value(0, "BDCODCID").AsInteger(), 3550308);
  EXPECT_EQ(r.Value(0, "BDFONETER").AsString(), "5555-1234");
  EXPECT_EQ(DateToStr(r.Value(0, "BDDATACADTER").AsDateTime()), "05/01/2024");
  EXPECT_EQ(r.Value(0, "BDEMAILTER").AsString(), "forn@exemplo.com");
  EXPECT_EQ(r.Value(0, "BDCODPAIS").AsInteger(), 1058);
  EXPECT_TRUE(Db().QueryValue("select BDENDTER from TTERCEIRO where BDCODTER = 501").IsNull());
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("select BDCODTERCEIROD from VZEL_EMPRESAS_TLAN").AsInteger(), 500);
  EXPECT_TRUE(std::any_of(log_.begin(), log_.end(), [](const std::string& l) {
    return l.find("Linha 4 do arquivo não importada: o participante 600 não está cadastrado") != std::string::npos;
  }));
}

// A schedule naming a company the database lacks fails with the company's code; an empty file is
// marked so that it never fails a run again.
TEST_F(DyqTaskTest, UnknownCompaniesFailAndEmptyFilesAreMarked) {
  Arquivos(1, [](int) { return std::string("# nada\n\n"); });
  EXPECT_EQ(Executa({{"cod_empresa", "77"}}), "Empresa 77 não encontrada.");
  EXPECT_EQ(status_, tscErro);

  Executa();
  int marcacoes = 0;
  for (const TFakeRequest& r : server_.Requests()) marcacoes += r.Method == "PUT";
  EXPECT_EQ(marcacoes, 1);
  EXPECT_TRUE(std::any_of(log_.begin(), log_.end(), [](const std::string& l) {
    return l == "Arquivo 1 (A) do DYQ sem lançamentos: nada a importar.";
  }));
}

// With "ckAlterarComplemento" a history whose text has variables writes the line's complement; a
// history without variables leaves the file's complement alone.
TEST_F(DyqTaskTest, HistoriesWithVariablesRewriteTheComplementWhenAsked) {
  Db().Execute("insert into HIST_TPHI (BDCODHIST, BDCODTPHI, BDAPELIDO, BDNOME) select first 1 BDCODHIST, 90, 'NF', "
               "'Pagamento NF #DOC - #COMPL' from HIST_TPHI");
  Arquivos(1, [](int) { return "L,1,05/01/2024,40,11,7,90,fornecedor,123\nL,1,06/01/2024,40,11,8,1,livre,124\n"; });
  EXPECT_EQ(Executa({{"ckAlterarComplemento", "true"}}), "");
  auto r = Db().QueryAll("select BDCOMPL from VZEL_EMPRESAS_TLAN order by BDDATA");
  ASSERT_EQ(r.Rows.size(), 2u);
  EXPECT_EQ(r.Value(0, "BDCOMPL").AsString(), "Pagamento NF 123 - fornecedor");
  EXPECT_EQ(r.Value(1, "BDCOMPL").AsString(), "livre");

  ExecutaComoSuite(Db(), "delete from VZEL_EMPRESAS_TLAN");
  EXPECT_EQ(Executa(), "");
  EXPECT_EQ(Db().QueryValue("select BDCOMPL from VZEL_EMPRESAS_TLAN where BDDATA = '2024-01-05'").AsString(),
            "fornecedor");

  // A history of another company's plan is not the line's: its text never reaches the complement.
  ExecutaComoSuite(Db(), "delete from VZEL_EMPRESAS_TLAN");
  Db().Execute("insert into HIST_TPHI (BDCODHIST, BDCODTPHI, BDAPELIDO, BDNOME) select first 1 BDCODHIST + 1000, 91, "
               "'X', 'Outro plano #DOC' from HIST_TPHI");
  Arquivos(1, [](int) { return std::string("L,1,05/01/2024,40,11,7,91,do arquivo,123\n"); });
  Executa({{"ckAlterarComplemento", "true"}});
  EXPECT_EQ(Db().QueryValue("select BDCOMPL from VZEL_EMPRESAS_TLAN").AsString(), "do arquivo");
}

// A plan-change code takes the file's accounts through the mapping plan's pairs; the accounts the
// file gave stay beside them.
TEST_F(DyqTaskTest, ThePlanChangeTranslatesTheFileAccounts) {
  Db().Execute("insert into VINT_BASE_TINTONLINE (BDCODINT, BDDESCRICAO) values (5, 'Plano antigo do cliente')");
  Db().Execute("insert into VINT_BASE_TINTONLINE_CONTA (BDCODINT, BDCODTPLADE, BDCODTPLAPARA) values (5, 9040, 40)");
  Arquivos(1, [](int) { return "L,1,05/01/2024,9040,11,7\n"; });
  EXPECT_EQ(Executa({{"edCODPLATROCAINT", "5"}}), "");
  EXPECT_EQ(status_, tscSucesso) << ProcessContext().FMensagemInconsistencia;
  EXPECT_EQ(Db().QueryValue("select BDDEBITO from VZEL_EMPRESAS_TLAN").AsInteger(), 40);

  // Without it the same file names an account the chart lacks.
  ExecutaComoSuite(Db(), "delete from VZEL_EMPRESAS_TLAN");
  EXPECT_EQ(Executa(), "Nenhuma lançamento importado, foram encontradas inconsistencias");
}

}  // namespace
}  // namespace integracao
