#include "integrations/omie/uAutoThreadImportacaoFiscalOmie.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>

#include "integrations/omie/omie_test_support.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;

class FiscalOmieTaskTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    SemeiaEmpresaOmie(Db());
    server_.On("POST", "/api/v1/contador/xml/", [this](const TFakeRequest& r) {
      const auto p = TJsonOmie::parse(r.Body)["param"][0];
      std::lock_guard<std::mutex> g(m_);
      const std::string consulta = p["cModelo"].get<std::string>() + "|" + p["cOperacao"].get<std::string>();
      consultas_.push_back(consulta);
      // An access key names its model and issuer: each query finds a document of its own.
      return TFakeResponse(200, R"({"nTotPaginas":1,"documentosEncontrados":[{"nChave":")" + consulta +
                                    R"(","nNumero":"2","cXml":"<x/>"}]})");
    });
  }
  void TearDown() override {
    ProcessContext().WP_REF_TARVO = 0;
    CompanyDatabaseTest::TearDown();
  }
  // Runs the task; answers its last log line.
  std::string Roda(const std::string& nfe, const std::string& cte, const std::string& mov, const std::string& ref,
                   const std::string& empresa = "1") {
    TAutoThreadImportacaoFiscalOmie task;
    task.OnPreparaClienteOmie = [this](TIntegracaoOmieBase& c) { c.SetURLBase(server_.BaseURL()); };
    task.SetParametro("ckNFe", nfe);
    task.SetParametro("ckNFCe", "False");
    task.SetParametro("ckCTe", cte);
    task.SetParametro("ckCTeos", "0");
    task.SetParametro("rgTipoMov", mov);
    task.SetParametro("cod_empresa", empresa);
    task.SetParametro("referencia", ref);
    task.ExecuteTask();
    status_ = task.StatusExecucao();
    return task.LogTarvo().back();
  }
  TTipoStatusConferencia status_ = tscSucesso;
  TPastaProgramaTeste pasta_;
  std::mutex m_;
  std::vector<std::string> consultas_;
  TFakeHttpServer server_;
};

TEST_F(FiscalOmieTaskTest, ParametersChooseKindsAndDirections) {
  EXPECT_NE(Roda("True", "1", "0", "202403").find("* NF-e de entrada: 1\r\n* CT-e de entrada: 1"), std::string::npos);
  EXPECT_EQ(status_, tscSucesso);
  EXPECT_EQ(consultas_, (std::vector<std::string>{"55|0", "57|0"}));
  EXPECT_EQ(ProcessContext().WP_REF_TARVO, 202403);
  consultas_.clear();
  Roda("true", "false", "1", "202403");
  EXPECT_EQ(consultas_, std::vector<std::string>{"55|1"});
  for (const std::string mov : {"2", "-1"}) {
    consultas_.clear();
    Roda("1", "0", mov, "202403");
    EXPECT_EQ(consultas_, (std::vector<std::string>{"55|0", "55|1"})) << mov;
  }
}

TEST_F(FiscalOmieTaskTest, NothingChosenAndTheLogFileOnlyWhenItExists) {
  const auto log = pasta_.Pasta() / "LogOmie.txt";
  EXPECT_EQ(Roda("False", "False", "2", "202403"), "Não foram encontrados arquivos nesta referência!");
  EXPECT_EQ(status_, tscSucesso) << "an empty month is no failure";
  EXPECT_FALSE(std::filesystem::exists(log));   // never created by the task
  EXPECT_TRUE(consultas_.empty());

  std::ofstream(log) << "old";
  Roda("True", "False", "0", "202403");
  std::ifstream in(log);
  std::string primeira;
  std::getline(in, primeira);
  EXPECT_NE(primeira.find("Realizando busca das notas"), std::string::npos);
}

TEST_F(FiscalOmieTaskTest, MalformedParametersEndTheRunAndAnEmptyReferenceIsZero) {
  EXPECT_THROW(Roda("sim", "False", "0", "202403"), std::invalid_argument);
  EXPECT_THROW(Roda("True", "False", "", "202403"), std::invalid_argument);
  EXPECT_TRUE(consultas_.empty());
  ProcessContext().WP_REF_TARVO = 7;
  Roda("True", "False", "0", "");
  EXPECT_EQ(ProcessContext().WP_REF_TARVO, 0);
  EXPECT_TRUE(consultas_.empty());
  EXPECT_EQ(status_, tscErro) << "a reference that is no month fetched nothing";
}

TEST_F(FiscalOmieTaskTest, RefusalsAndMissingCredentialsAreNoCleanRun) {
  // Omie refuses the outgoing documents after the incoming ones came: inconsistent.
  server_.On("POST", "/api/v1/contador/xml/", [](const TFakeRequest& r) {
    if (TJsonOmie::parse(r.Body)["param"][0]["cOperacao"] == "1") return TFakeResponse(500, R"({"faultstring":"x"})");
    return TFakeResponse(200, R"({"nTotPaginas":1,"documentosEncontrados":[{"nChave":"1","nNumero":"2","cXml":"<x/>"}]})");
  });
  Roda("True", "False", "2", "202403");
  EXPECT_EQ(status_, tscInconsistente);
  // Every kind refused, or no key to ask with: the run failed.
  server_.On("POST", "/api/v1/contador/xml/", TFakeResponse(500, R"({"faultstring":"x"})"));
  Roda("True", "False", "0", "202403");
  EXPECT_EQ(status_, tscErro);
  Db().Execute("update TEMPRESAS set BDCHAVEACESSOOMIE = '' where BDCODEMP = 1");
  EXPECT_EQ(Roda("True", "False", "0", "202403"), "Chave de acesso não informada na Configuração de Serviços Web");
  EXPECT_EQ(status_, tscErro);
}

TEST_F(FiscalOmieTaskTest, AFetchThatFailedNeverEndsAsASuccess) {
  // A company the system does not know has no key to ask with.
  EXPECT_EQ(Roda("True", "False", "0", "202403", "99"), "Chave de acesso não informada na Configuração de Serviços Web");
  EXPECT_EQ(status_, tscErro);
  // A maintenance page answered with 200, and a second page that failed after a good first one.
  server_.On("POST", "/api/v1/contador/xml/", TFakeResponse(200, "<html>Em manutenção</html>", "text/html"));
  EXPECT_NE(Roda("True", "False", "0", "202403").find("Resposta inválida da Omie"), std::string::npos);
  EXPECT_EQ(status_, tscErro);
  server_.On("POST", "/api/v1/contador/xml/", [](const TFakeRequest& r) {
    if (TJsonOmie::parse(r.Body)["param"][0]["nPagina"] == 2) return TFakeResponse(500, R"({"faultstring":"x"})");
    return TFakeResponse(200, R"({"nTotPaginas":2,"documentosEncontrados":[{"nChave":"1","nNumero":"2","cXml":"<x/>"}]})");
  });
  Roda("True", "False", "0", "202403");
  EXPECT_NE(status_, tscSucesso);
}

}  // namespace
}  // namespace integracao
