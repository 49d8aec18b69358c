#include "integrations/omie/uAutoThreadContasPagarOmie.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "integrations/omie/omie_test_support.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;

class ContasPagarOmieTaskTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    SemeiaEmpresaOmie(Db());
    SemeiaGuiaOmie(Db(), 101, 12, 202403, EncodeDate(2024, 4, 20), Currency::FromInt(100));
    server_.On("POST", "/api/v1/geral/clientes/", TFakeResponse(200, R"({"codigo_cliente_omie":9})"));
    server_.On("POST", "/api/v1/financas/contapagar/", TFakeResponse(200, "{}"));
    server_.On("POST", "/api/v1/financas/mf/", TFakeResponse(200, R"({"nTotPaginas":1,"movimentos":[]})"));
    ProcessContext().WP_AGENDAMENTO = 4;
  }
  void TearDown() override {
    ProcessContext().WP_AGENDAMENTO = 0;
    CompanyDatabaseTest::TearDown();
  }
  void Run(const std::string& emp, const std::string& ref, const std::string& rg, bool falha) {
    TAutoThreadContasPagarOmie task;
    task.SetParametro("cod_empresa", emp);
    task.SetParametro("referencia", ref);
    task.SetParametro("rgIntegracao", rg);
    task.OnPreparaClienteOmie = [this](TIntegracaoOmieBase& c) { c.SetURLBase(url_.empty() ? server_.BaseURL() : url_); };
    if (falha) {
      EXPECT_ANY_THROW(task.ExecuteTask());
    } else {
      EXPECT_NO_THROW(task.ExecuteTask());
    }
    log_ = task.LogTarvo();
    ultimoStatus_ = task.StatusExecucao();
  }
  TQueryResult Linha() {
    return Db().QueryAll("select BDCODSTATUS, BDINCONSISTENCIA, BDREFERENCIA from VSH_EMP_TCONF_OMIE_EXPORT "
                         "where BDCODAGENDAMENTO = 4 and BDCODEMP = 1");
  }

  TPastaProgramaTeste programa_;
  TFakeHttpServer server_;
  std::string url_;
  std::vector<std::string> log_;
  TTipoStatusConferencia ultimoStatus_ = tscSucesso;
};

TEST_F(ContasPagarOmieTaskTest, ExportOfTheMonthKeepsTheStartedRowAndMarksTheGuides) {
  Run("1", "202403", "0", false);
  auto r = Linha();
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Value(0, "BDCODSTATUS").AsInteger(), 1);
  EXPECT_EQ(r.Value(0, "BDREFERENCIA").AsInteger(), 202403);
  EXPECT_EQ(Db().QueryValue("select BDEXPORTACAO from VSH_EMP_TCONF_OMIE_DARF where BDCHAVEDARF = 101").AsInteger(), 1);
  EXPECT_EQ(log_.front(), "Iniciando o processo...");
  EXPECT_EQ(log_.back(), "Processo finalizado");
}

TEST_F(ContasPagarOmieTaskTest, ProblemsAndIdleRunsEndInconsistentAndFailuresInError) {
  Run("1", "202405", "1", false);   // no payments in May: nothing to do, an inconsistent run, not a failure
  EXPECT_EQ(Linha().Value(0, "BDCODSTATUS").AsInteger(), 2);
  EXPECT_EQ(ultimoStatus_, tscInconsistente);
  EXPECT_EQ(Linha().Value(0, "BDINCONSISTENCIA").AsString(),
            "Não existem baixas neste período, por este motivo a importação não foi realizada.");

  server_.On("POST", "/api/v1/financas/contapagar/",
             TFakeResponse(500, "<html>" + std::string(3000, 'x') + "</html>", "text/html"));
  Run("1", "202403", "2", false);
  EXPECT_EQ(Linha().Value(0, "BDCODSTATUS").AsInteger(), 2);
  EXPECT_EQ(ultimoStatus_, tscInconsistente);
  EXPECT_EQ(Linha().Value(0, "BDINCONSISTENCIA").AsString().rfind("[OMIE] 500 - <html>", 0), 0u);

  url_ = "http://127.0.0.1:" + std::to_string(TFakeHttpServer::ClosedPort());
  Run("1", "202403", "0", true);
  EXPECT_EQ(Linha().Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(ultimoStatus_, tscErro);
  EXPECT_NE(std::find(log_.begin(), log_.end(), "Processo em encerramento"), log_.end());
  EXPECT_EQ(std::find(log_.begin(), log_.end(), "Processo finalizado"), log_.end());

  // A clean run of the same key: its start row does not keep the failure's text.
  url_.clear();
  server_.On("POST", "/api/v1/financas/contapagar/", TFakeResponse(200, "{}"));
  Run("1", "202403", "0", false);
  EXPECT_EQ(Linha().Value(0, "BDCODSTATUS").AsInteger(), 1);
  EXPECT_EQ(Linha().Value(0, "BDINCONSISTENCIA").AsString(), "");

  Run("1 or 1=1", "202403", "0", true);   // never reaches the database
  EXPECT_EQ(Db().QueryValue("select count(*) from VSH_EMP_TCONF_OMIE_EXPORT").AsInteger(), 1);
}

}  // namespace
}  // namespace integracao
