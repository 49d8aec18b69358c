#include "integrations/vynreport/uExportacaoPagamentosVYNReport.h"

#include <map>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "framework/component/resultado_execucao.h"
#include "framework/component/process_context.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/list_view_db.h"
#include "framework/ui/report_vyn.h"
#include "framework/ui/scripted_dialogs.h"
#include "integrations/vynreport/vynreport_test_support.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
using namespace teste;

class ExportacaoPagamentosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    PreparaEmpresa(Db(), portal_);
    ProcessContext().CustomerCode = "123";
  }
  void Paga(int chave, int dia, int seq = 1, int mes = 4) {
    ExecutaComoSuite(Db(), "insert into TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO) "
                           "values (1, ?, ?, ?, 1)", {chave, seq, EncodeDate(2024, mes, dia)});
  }
  TFormPtr<TfrExportacaoPagamentosVYNReport> Tela(bool tarvo = false) {
    auto t = MakeForm<TfrExportacaoPagamentosVYNReport>();
    t->SetIsTARVO(tarvo);
    t->edDatIni->SetData(EncodeDate(2024, 4, 1));
    t->edDatFin->SetFocus();
    t->edDatFin->SetData(EncodeDate(2024, 4, 30));
    t->DefocusControl();
    return t;
  }
  TFakeHttpServer portal_;
  TScriptedDialogs dialogs_;
  // The screens report into the run these tests stand for.
  TResultadoExecucao resultado_;
  TEscopoResultadoExecucao aberto_{resultado_};
};

TEST_F(ExportacaoPagamentosTest, APaidGuideGoesAsItsPrincipalAndIsMarkedOnlyWhenThePortalTakesIt) {
  Guia(Db(), 55, 202403, "95.00", "100.00", "2.00", "3.00");
  Guia(Db(), 56, 202403, "10.00", "10.00", "0", "0", 11);   // tax without portal report: not sent
  Paga(55, 20);
  Paga(56, 21);
  portal_.On("POST", "/pagamentos", TFakeResponse::Json(200, R"({"totalRecebidos":1,"totalBaixados":1,"totalErros":0})"));
  dialogs_.Ok("Pagamentos integrados com sucesso!");
  auto t = Tela();
  ASSERT_EQ(t->lvImpostos->Count(), 2);
  t->spOK->Click();

  const auto req = portal_.LastRequest();
  EXPECT_EQ(req.Header("Authorization"), "Bearer tok-vyn");
  const auto j = nlohmann::json::parse(req.Body);
  ASSERT_EQ(j["registros"].size(), 1u) << req.Body;
  const auto& r = j["registros"][0];
  EXPECT_EQ(j["clienteId"], "123");
  EXPECT_EQ(j["sistemaId"], 50);
  EXPECT_EQ(r["empresaId"], kEmpresaWeb);
  EXPECT_EQ(r["relatorioId"], kTag);
  EXPECT_EQ(r["valor"], "95.00");   // 100.00 carried by the identifier, less interest and fine
  EXPECT_EQ(r["anoRef"], 2024);
  EXPECT_EQ(r["mesRef"], 3);
  EXPECT_EQ(r["dataRef"], "2024-03-01");
  EXPECT_EQ(r["dataFinal"], "2024-03-01");
  EXPECT_EQ(r["dataPagamento"], "2024-04-20");
  auto c = Db().QueryAll("select BDCODIMP, BDVALOR, BDREFERENCIA, BDEXPORTADO from VSH_EMP_TCONF_IMPPAG_IMP");
  ASSERT_EQ(c.Rows.size(), 1u);
  EXPECT_EQ(c.Value(0, "BDVALOR").AsCurrency(), C("95"));
  EXPECT_EQ(c.Value(0, "BDEXPORTADO").AsInteger(), 1);

  // A refused send marks nothing, and a later run does not carry the earlier run's marks.
  Db().Execute("delete from VSH_EMP_TCONF_IMPPAG_IMP");
  portal_.On("POST", "/pagamentos", TFakeResponse::Json(200, R"({"totalRecebidos":1,"totalBaixados":0,"totalErros":1,"erros":["Guia recusada"]})"));
  t->SetIsTARVO(true);
  try {
    t->spOK->Click();
    FAIL() << "expected the scheduled run to fail";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Erro ao exportar pagamentos. Guia recusada");
  }
  EXPECT_EQ(Db().QueryValue("select count(*) from VSH_EMP_TCONF_IMPPAG_IMP").AsInteger(), 0);
}

TEST_F(ExportacaoPagamentosTest, EachGuideIsPrintedWithItsOwnRevenueCode) {
  Db().Execute("update TYRK_TRELATORIOS set BDQUEBRA = ? where BDCHAVE = 1",
               {std::string("CodEmpYRK(<Dados.\"BDCODEMP\">) + '|' + TagYRK + '|' + <Dados.\"BDTOTAL\"> + "
                            "'|0|0|0|0|' + CodRecImposto")});
  Guia(Db(), 55, 202403, "95.00", "95.00");
  Guia(Db(), 57, 202403, "40.00", "40.00");
  Db().Execute("update TDARFPADRAO set BDCODRECOF = '2172-01' where BDCHAVEDARF = 57");
  Paga(55, 20);
  Paga(57, 22);
  portal_.On("POST", "/pagamentos", TFakeResponse::Json(200, R"({"totalRecebidos":2,"totalBaixados":2,"totalErros":0})"));
  dialogs_.Ok("Pagamentos integrados com sucesso!");
  auto t = Tela();
  t->spOK->Click();

  const auto j = nlohmann::json::parse(portal_.LastRequest().Body);
  ASSERT_EQ(j["registros"].size(), 2u) << portal_.LastRequest().Body;
  std::map<std::string, std::string> seriePorValor;
  for (const auto& r : j["registros"]) seriePorValor[r["valor"].get<std::string>()] = r["serie"].get<std::string>();
  EXPECT_EQ(seriePorValor["95.00"], "810902");
  EXPECT_EQ(seriePorValor["40.00"], "217201");
}

TEST_F(ExportacaoPagamentosTest, NothingToSendAndAnUnreadableIdentifierAreReportedNotSent) {
  auto t = Tela(true);
  EXPECT_EQ(t->lvImpostos->Count(), 0);
  t->spOK->Click();
  EXPECT_EQ(resultado_.Mensagem, "Nenhum registro para ser exportado.");
  EXPECT_TRUE(resultado_.Inconsistencias.empty()) << "nothing to send is no inconsistency";

  Guia(Db(), 55, 202403, "95.00", "100.00");
  Paga(55, 20);
  Db().Execute("update TYRK_TRELATORIOS set BDQUEBRA = '''|sem empresa'''");
  auto u = Tela(true);
  u->spOK->Click();
  EXPECT_EQ(portal_.RequestCount(), 0u);
  EXPECT_NE(resultado_.Mensagem.find("Guia 55 do imposto 10 não exportada"), std::string::npos);
  EXPECT_EQ(resultado_.Inconsistencias.size(), 1u);
}

TEST_F(ExportacaoPagamentosTest, AGuideWhoseInterestAndFineExceedItsValueIsRefusedNotSentNegative) {
  Guia(Db(), 55, 202403, "1.00", "5.00", "4.00", "3.00");
  Paga(55, 20);
  auto t = Tela(true);
  t->spOK->Click();
  EXPECT_EQ(portal_.RequestCount(), 0u);
  EXPECT_NE(resultado_.Mensagem.find("Guia 55 do imposto 10 não exportada: o valor principal ficaria negativo (-2,00): "
                                     "o valor do identificador (5,00) é menor que os juros (4,00) mais a multa (3,00)."),
            std::string::npos)
      << resultado_.Mensagem;
  EXPECT_EQ(Db().QueryValue("select count(*) from VSH_EMP_TCONF_IMPPAG_IMP").AsInteger(), 0);
}

TEST_F(ExportacaoPagamentosTest, AGuidePaidInPartsGoesOnceAndALeftOutGuideIsNoCleanRun) {
  Guia(Db(), 55, 202403, "95.00", "100.00");
  Paga(55, 10, 1);
  Paga(55, 20, 2);
  Paga(55, 25, 3, 5);   // after the period
  // A tax whose identifier names no portal company: its guide is left out, and the run says so.
  Db().Execute("insert into TYRK_TRELATORIOS (BDCHAVE, BDDESCRICAO, BDTAGWEB, BDQUEBRA) "
               "values (2, 'COFINS', 'DARF_COFINS', '''|sem empresa''')");
  Db().Execute("insert into TIMPOSTO (BDCODIMP, BDDESCIMP, BDCHAVEYRK) values (12, 'COFINS', 2)");
  Guia(Db(), 56, 202403, "10.00", "10.00", "0", "0", 12);
  Paga(56, 12);
  portal_.On("POST", "/pagamentos", TFakeResponse::Json(200, R"({"totalRecebidos":1,"totalBaixados":1,"totalErros":0})"));
  auto t = Tela(true);
  t->spOK->Click();

  const auto j = nlohmann::json::parse(portal_.LastRequest().Body);
  ASSERT_EQ(j["registros"].size(), 1u) << j.dump();
  EXPECT_EQ(j["registros"][0]["dataPagamento"], "2024-04-20");
  EXPECT_EQ(j["registros"][0]["valor"], "100.00");
  EXPECT_EQ(Db().QueryValue("select count(*) from VSH_EMP_TCONF_IMPPAG_IMP").AsInteger(), 1);
  EXPECT_NE(resultado_.Mensagem.find("Guia 56 do imposto 12 não exportada"), std::string::npos)
      << resultado_.Mensagem;
}

TEST_F(ExportacaoPagamentosTest, TheTaxRegistryGivesThePortalCodeACompanyLacksAndTheReportReadsItsParameters) {
  Guia(Db(), 55, 202403, "95.00", "100.00");
  Paga(55, 20);
  Db().Execute("update TYRK_TRELATORIOS set BDQUEBRA = ?",
               {"CodEmpYRK(2) + '|' + TagYRK + '|' + <Dados.\"BDTOTAL\"> + '|' + <EDREFERENCIA> + '|' + "
                "<Parâmetros.\"EDQUOTA\">"});
  portal_.On("POST", "/pagamentos", TFakeResponse::Json(200, R"({"totalRecebidos":1,"totalBaixados":1,"totalErros":0})"));
  // Company 2 has no portal code of its own and the registry none for the tax: "XXXXXX" stands.
  Tela(true)->spOK->Click();
  EXPECT_EQ(portal_.RequestCount(), 0u);
  EXPECT_NE(resultado_.Mensagem.find("Guia 55"), std::string::npos);

  Db().Execute("insert into TYRK_TRELATORIOS_EMP (BDCHAVE, BDCODEMP, BDCODWEB) values (1, 2, 77)");
  Tela(true)->spOK->Click();
  const auto r = nlohmann::json::parse(portal_.LastRequest().Body)["registros"][0];
  EXPECT_EQ(r["empresaId"], 77);
  EXPECT_EQ(r["funcionarioId"], 202403);   // the guide's reference, as the report's parameter gives it
  EXPECT_EQ(r["individual"], 0);
}

// Firebird takes at most 1,500 values in one IN list: the tax list passes that many ticked companies
// as a list and any more through the temporary table, and either way a tax paid only by the last
// company is listed.
TEST_F(ExportacaoPagamentosTest, UpTo1500TickedCompaniesGoAsAListAndTheNextOneThroughTheTemporaryTable) {
  auto noPortal = [this](int de, int ate) {
    Db().Execute("execute block (de integer = ?, ate integer = ?) as declare i integer; begin i = de;"
                 " while (i <= ate) do begin insert into TEMPRESAS (BDCODEMP, BDCODWEB) values (:i, :i);"
                 " i = i + 1; end end", {de, ate});
  };
  auto pagaNa = [this](int empresa, int codImp) {
    Db().Execute("insert into TDARFPADRAO (BDCODEMP, BDCHAVEDARF, BDCODIMP, BDREFERENCIA, BDVALOR, BDTOTAL) "
                 "values (?, 1, ?, 202403, 10, 10)", {empresa, codImp});
    ExecutaComoSuite(Db(), "insert into TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO) "
                           "values (?, 1, 1, ?, 10)", {empresa, EncodeDate(2024, 4, 20)});
  };
  auto temporaria = [this] { return Db().QueryValue("select count(*) from TMP_EMPRESAS_SELECT").AsInteger(); };
  noPortal(1001, 2499);   // with company 1: 1,500
  pagaNa(2499, kImposto);
  auto t = Tela();
  ASSERT_EQ(t->lvEmpresas->CheckedCount(), 1500);
  EXPECT_EQ(t->lvImpostos->Count(), 1);
  EXPECT_EQ(temporaria(), 0);

  noPortal(2500, 2500);
  pagaNa(2500, 11);
  auto u = Tela();
  ASSERT_EQ(u->lvEmpresas->CheckedCount(), 1501);
  EXPECT_EQ(u->lvImpostos->Count(), 2);
  EXPECT_EQ(temporaria(), 1501);
}

TEST_F(ExportacaoPagamentosTest, ReportFunctionsAnswerWithoutRegardToCase) {
  auto t = Tela();
  TfrxReportVYN& r = *t->frxReportPreview;
  t->setReportFunctions(&r);
  EXPECT_EQ(r.Evaluate("IntSerieYRK(0)").AsString(), "__________");
  EXPECT_EQ(r.Evaluate("intserieyrk(123)").AsString(), "_______123");
  EXPECT_EQ(r.Evaluate("FormatReferencia(202403)").AsString(), "03/2024");
  EXPECT_EQ(r.Evaluate("FormatReferencia(0)").AsString(), "");
  EXPECT_EQ(r.Evaluate("RefYRK('03/2024')").AsString(), "2403");
  EXPECT_EQ(r.Evaluate("REFYRK(202403)").AsString(), "2403");
  EXPECT_EQ(r.Evaluate("STRTODATA('20240315')").AsString(), "15/03/2024");
  EXPECT_EQ(r.Evaluate("YYYYMMTOMM_YYYY('202403')").AsString(), "03/2024");
  EXPECT_EQ(r.Evaluate("HoraParaDecimal('1:30')").AsCurrency(), C("1.5"));
  EXPECT_EQ(r.Evaluate("HoraParaDecimal('-1:30')").AsCurrency(), C("-1.5"));
  EXPECT_EQ(r.Evaluate("HoraParaDecimal('-0:30')").AsCurrency(), C("-0.5"));
  EXPECT_EQ(r.Evaluate("DecimalParaHora(1.5)").AsString(), "01:30");
  EXPECT_EQ(r.Evaluate("DecimalParaHora(1.9999)").AsString(), "02:00");
  EXPECT_EQ(r.Evaluate("DecimalParaHora(-1.5)").AsString(), "-1:30");
  EXPECT_EQ(r.Evaluate("DecimalParaHora(-0.5)").AsString(), "-0:30");
  EXPECT_EQ(r.Evaluate("ValorDefault(0, 5)").AsInteger(), 5);
  EXPECT_EQ(r.Evaluate("ValorDefault(3, 5)").AsInteger(), 3);
  EXPECT_EQ(r.Evaluate("TAGYRK + TipoColYRK").AsString(), "_");   // no tax loaded yet
  EXPECT_THROW(r.Evaluate("NaoExiste(1)"), EReportError);
}

}  // namespace
}  // namespace integracao
