#include "integrations/vynreport/uAutoThreadPagamentoImpostoVYNReport.h"

#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/scripted_dialogs.h"
#include "integrations/vynreport/vynreport_test_support.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
using namespace teste;

class PagamentoImpostoTaskTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    PreparaEmpresa(Db(), portal_);
    ProcessContext().CustomerCode = "123";
    ProcessContext().WP_AGENDAMENTO = 7;
    ProcessContext().WP_PLANO_TARVO = 3;
    ProcessContext().WP_ORDEM_AGENDAMENTO = 1;
  }
  void TearDown() override {
    ProcessContext().WP_AGENDAMENTO = ProcessContext().WP_PLANO_TARVO = ProcessContext().WP_ORDEM_AGENDAMENTO = 0;
    CompanyDatabaseTest::TearDown();
  }
  void Portal(const std::string& pagamentos, int baixados = 1) {
    portal_.On("POST", "/pagamentos/consulta", TFakeResponse::Json(200, R"({"pagamentos":[)" + pagamentos + "]}"));
    portal_.On("POST", "/pagamentos",
               TFakeResponse::Json(200, fmt::format(R"({{"totalRecebidos":1,"totalBaixados":{},"totalErros":0}})",
                                                    baixados)));
  }
  // Runs the task as the host does; answers the exception's text, empty when none.
  std::string Executa(const std::string& empresa = "1", const std::string& imp = "True",
                      const std::string& exp = "True") {
    task_ = std::make_unique<TAutoThreadPagamentoImpostoVYNReport>();
    task_->SetParametro("cod_empresa", empresa);
    task_->SetParametro("referencia", "202404");
    task_->SetParametro("ckImportacao", imp);
    task_->SetParametro("ckExportacao", exp);
    try {
      task_->ExecuteTask();
    } catch (const std::exception& e) {
      return e.what();
    }
    return {};
  }
  TQueryResult Status() {
    return Db().QueryAll("select BDCODEMP, BDCODSTATUS, BDREFERENCIA, BDINCONSISTENCIA, BDDATAEXECUTADO "
                         "from VSH_EMP_TCONF_IMPPAG where BDCODAGENDAMENTO = 7 and BDCODPLANOTARVO = 3");
  }
  std::vector<std::string> Caminhos() {
    std::vector<std::string> v;
    for (const auto& r : portal_.Requests()) v.push_back(r.Path);
    return v;
  }

  TFakeHttpServer portal_;
  TScriptedDialogs dialogs_;
  std::unique_ptr<TAutoThreadPagamentoImpostoVYNReport> task_;
};

TEST_F(PagamentoImpostoTaskTest, ImportThenExportOfTheMonthAndACleanRunStaysAtStatusOne) {
  Guia(Db(), 55, 202403, "100.00", "105.53");
  Portal(Pagamento("100.00", "105.53"));
  EXPECT_EQ(Executa(), "");

  // The import settles the guide in April; the export then sends the guide paid in April.
  EXPECT_EQ(Caminhos(), (std::vector<std::string>{"/pagamentos/consulta", "/pagamentos"}));
  EXPECT_NE(portal_.Requests()[0].Body.find(R"("dataInicial":"2024-04-01","dataFinal":"2024-04-30")"),
            std::string::npos);
  auto s = Status();
  ASSERT_EQ(s.Rows.size(), 1u);
  EXPECT_EQ(s.Value(0, "BDCODSTATUS").AsInteger(), 1);
  EXPECT_EQ(s.Value(0, "BDCODEMP").AsInteger(), 1);
  EXPECT_EQ(s.Value(0, "BDREFERENCIA").AsInteger(), 202404);
  EXPECT_FALSE(s.Value(0, "BDDATAEXECUTADO").IsNull());
  EXPECT_EQ(Db().QueryValue("select count(*) from VSH_EMP_TCONF_IMPPAG_IMP where BDCODAGENDAMENTO = 7 and "
                            "BDIMPORTADO = 1").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("select count(*) from VSH_EMP_TCONF_IMPPAG_IMP where BDCODAGENDAMENTO = 7 and "
                            "BDEXPORTADO = 1").AsInteger(), 1);
  EXPECT_EQ(task_->LogTarvo(), (std::vector<std::string>{"Iniciando o processo...", "Realizando a importação...",
                                                         "Realizando a exportação...", "Processo finalizado"}));
  EXPECT_EQ(task_->StatusExecucao(), tscSucesso);

  // With both switches off nothing is asked of the portal and the start row stands.
  ProcessContext().WP_AGENDAMENTO = 8;
  const size_t antes = portal_.RequestCount();
  EXPECT_EQ(Executa("1", "False", "false"), "");
  EXPECT_EQ(portal_.RequestCount(), antes);
  EXPECT_EQ(Db().QueryValue("select BDCODSTATUS from VSH_EMP_TCONF_IMPPAG where BDCODAGENDAMENTO = 8").AsInteger(), 1);
  EXPECT_EQ(task_->LogTarvo(), (std::vector<std::string>{"Iniciando o processo...", "Processo finalizado"}));
  EXPECT_TRUE(dialogs_.Calls().empty());
}

TEST_F(PagamentoImpostoTaskTest, ARefusedPaymentOrACompanyOffThePortalEndsInconsistent) {
  Guia(Db(), 55, 202403, "100.00", "100.00");
  ExecutaComoSuite(Db(), "insert into TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO) "
                         "values (1, 55, 1, ?, 100)", {EncodeDate(2024, 4, 10)});
  Portal(Pagamento("999.00", "999.00"));
  EXPECT_EQ(Executa(), "");
  auto s = Status();
  ASSERT_EQ(s.Rows.size(), 1u);
  EXPECT_EQ(s.Value(0, "BDCODSTATUS").AsInteger(), 2);
  EXPECT_EQ(s.Value(0, "BDINCONSISTENCIA").AsString(), "Importação: Não foi encontrado nenhum imposto emitido");
  EXPECT_EQ(Caminhos().back(), "/pagamentos");   // the export still ran, and went well

  // Company 2 has no portal code: neither step asks the portal, and the run does not look done.
  ProcessContext().WP_AGENDAMENTO = 9;
  const size_t antes = portal_.RequestCount();
  EXPECT_EQ(Executa("2"), "");
  EXPECT_EQ(portal_.RequestCount(), antes);
  auto r = Db().QueryAll("select BDCODEMP, BDCODSTATUS, BDINCONSISTENCIA from VSH_EMP_TCONF_IMPPAG "
                         "where BDCODAGENDAMENTO = 9");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Value(0, "BDCODEMP").AsInteger(), 2);
  EXPECT_EQ(r.Value(0, "BDCODSTATUS").AsInteger(), 2);
  EXPECT_EQ(r.Value(0, "BDINCONSISTENCIA").AsString(), "A empresa não está configurada para o VYN Report");
  EXPECT_EQ(std::count(task_->LogTarvo().begin(), task_->LogTarvo().end(),
                       "A empresa não está configurada para o VYN Report"), 2);
  EXPECT_TRUE(dialogs_.Calls().empty());
}

TEST_F(PagamentoImpostoTaskTest, AFailureEndsAtStatusFiveAndIsRaisedNeverBehindASuccessRow) {
  Guia(Db(), 55, 202403, "100.00", "100.00");
  portal_.On("POST", "/pagamentos/consulta", TFakeResponse::Json(400, R"({"erros":["Empresa inexistente"]})"));
  EXPECT_EQ(Executa(), "Erro na importação: Retorno VYN Report: Empresa inexistente");
  auto s = Status();
  ASSERT_EQ(s.Rows.size(), 1u);
  EXPECT_EQ(s.Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(s.Value(0, "BDINCONSISTENCIA").AsString(), "Erro na importação: Retorno VYN Report: Empresa inexistente");
  EXPECT_EQ(Caminhos(), (std::vector<std::string>{"/pagamentos/consulta"}));   // no export after it
  EXPECT_EQ(task_->LogTarvo().back(), "Erro na importação: Retorno VYN Report: Empresa inexistente");

  // The portal refusing the export.
  ExecutaComoSuite(Db(), "insert into TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO) "
                         "values (1, 55, 1, ?, 100)", {EncodeDate(2024, 4, 10)});
  portal_.On("POST", "/pagamentos", TFakeResponse::Json(422, R"({"erros":["Guia recusada"]})"));
  EXPECT_EQ(Executa("1", "False", "True"), "Erro ao exportar pagamentos. Guia recusada");
  EXPECT_EQ(Status().Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(Db().QueryValue("select count(*) from VSH_EMP_TCONF_IMPPAG_IMP").AsInteger(), 0);

  // A switch that is not a Boolean text: status 5 before any work.
  const size_t antes = portal_.RequestCount();
  EXPECT_EQ(Executa("1", "True", "sim"), "'sim' não é um valor booleano válido");
  EXPECT_EQ(Status().Value(0, "BDCODSTATUS").AsInteger(), 5);
  EXPECT_EQ(portal_.RequestCount(), antes);

  // A company code that is not a number: no row at all, since there is no company to key it.
  ProcessContext().WP_AGENDAMENTO = 10;
  EXPECT_EQ(Executa("1a"), "'1a' não é um valor inteiro válido");
  EXPECT_EQ(Db().QueryValue("select count(*) from VSH_EMP_TCONF_IMPPAG where BDCODAGENDAMENTO = 10").AsInteger(), 0);
}

}  // namespace
}  // namespace integracao
