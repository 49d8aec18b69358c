#include "integrations/vynreport/uImportacaoPagamentosVYNReport.h"

#include <gtest/gtest.h>

#include "framework/component/resultado_execucao.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/host/posting_lock_check.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/list_view_db.h"
#include "framework/ui/scripted_dialogs.h"
#include "integrations/vynreport/vynreport_test_support.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
using namespace teste;

class ImportacaoPagamentosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    PreparaEmpresa(Db(), portal_);
    ProcessContext().CustomerCode = "123";
  }
  void Responde(const std::string& pagamentos) {
    portal_.On("POST", "/pagamentos/consulta", TFakeResponse::Json(200, R"({"pagamentos":[)" + pagamentos + "]}"));
  }
  TFormPtr<TfrImportacaoPagamentosVYNReport> Tela(bool tarvo = false) {
    auto t = MakeForm<TfrImportacaoPagamentosVYNReport>();
    t->SetIsTARVO(tarvo);
    t->edDatIni->SetData(EncodeDate(2024, 4, 1));
    t->edDatFin->SetData(EncodeDate(2024, 4, 30));
    return t;
  }
  void Executa(bool tarvo = false) {
    auto t = Tela(tarvo);
    t->spOK->Click();
    mensagens_.clear();
    for (const auto& i : t->Inconsistencias_VYN()->Itens()) mensagens_.push_back(i.Caption);
  }
  int Lancamentos() { return static_cast<int>(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger()); }
  std::string Todas() { return Join(mensagens_, "\n"); }

  TFakeHttpServer portal_;
  TScriptedDialogs dialogs_;
  std::vector<std::string> mensagens_;
};

TEST_F(ImportacaoPagamentosTest, APaymentSettlesItsGuideOnceWithTheNicknamedAccountAndIsRecorded) {
  Guia(Db(), 55, 202403, "100.00", "105.5300");
  Responde(Pagamento("100.00", "105.53"));
  Executa();

  auto l = Db().QueryAll("select BDDATA, BDDEBITO, BDCREDITO, BDVALOR from VZEL_EMPRESAS_TLAN");
  ASSERT_EQ(l.Rows.size(), 1u) << Todas();
  EXPECT_EQ(l.Value(0, "BDVALOR").AsCurrency(), C("105.53"));
  EXPECT_EQ(l.Value(0, "BDCREDITO").AsInteger(), seed::kContaCaixa);
  EXPECT_EQ(l.Value(0, "BDDATA").AsDateTime(), EncodeDate(2024, 4, 20));
  ASSERT_EQ(mensagens_.size(), 1u);
  EXPECT_NE(mensagens_[0].find(": Baixa realizada"), std::string::npos);
  auto c = Db().QueryAll("select BDCODEMP, BDCODIMP, BDVALOR, BDREFERENCIA, BDIMPORTADO from VSH_EMP_TCONF_IMPPAG_IMP");
  ASSERT_EQ(c.Rows.size(), 1u);
  EXPECT_EQ(c.Value(0, "BDCODIMP").AsInteger(), kImposto);
  EXPECT_EQ(c.Value(0, "BDVALOR").AsCurrency(), C("100"));
  EXPECT_EQ(c.Value(0, "BDREFERENCIA").AsInteger(), 202403);
  EXPECT_EQ(c.Value(0, "BDIMPORTADO").AsInteger(), 1);
  const auto req = portal_.LastRequest();
  EXPECT_EQ(req.Header("Authorization"), "Bearer tok-vyn");
  EXPECT_NE(req.Body.find(R"("empresaId":42)"), std::string::npos);
  EXPECT_NE(req.Body.find(R"("dataInicial":"2024-04-01")"), std::string::npos);

  // The same payment again, in this run or a later one: never settled twice.
  Responde(Pagamento("100.00", "105.53") + "," + Pagamento("100.00", "105.53"));
  Executa();
  EXPECT_EQ(Lancamentos(), 1);
  ASSERT_EQ(mensagens_.size(), 2u);
  for (const auto& m : mensagens_) EXPECT_NE(m.find("Imposto emitido já pago"), std::string::npos) << m;
}

TEST_F(ImportacaoPagamentosTest, EachCompanysSettlementsLeaveNothingOnTheScreen) {
  Guia(Db(), 55, 202403, "100.00", "100.00");
  Guia(Db(), 56, 202403, "200.00", "200.00");
  Responde(Pagamento("100.00", "100.00") + "," + Pagamento("200.00", "200.00"));
  auto t = Tela();
  auto conta = [&] {
    int n = 0;
    for (TComponent* c : t->Components())
      n += c->ClassName() == "TDARFGERPGTOMGR" || c->ClassName() == "TEdit_Codigo_Search_VYN";
    return n;
  };
  const int antes = conta();
  t->spOK->Click();
  t->spOK->Click();
  EXPECT_EQ(Lancamentos(), 2);
  EXPECT_EQ(conta(), antes);
}

TEST_F(ImportacaoPagamentosTest, RefusalsAndTheChoiceAmongGuidesOfTheSamePrincipal) {
  Guia(Db(), 60, 202403, "200.00", "210.00");
  Guia(Db(), 61, 202403, "200.00", "220.00");   // re-issue of the same principal with more interest
  Guia(Db(), 62, 202403, "300.00", "300.00");
  Responde(Pagamento("200.00", "220.00", "SEM APELIDO") + "," + Pagamento("300.00", "300.01") + "," +
           Pagamento("999.00", "999.00") + "," + Pagamento("300.00", "300.00", "Caixa", 3, "OUTRA"));
  dialogs_.SetListsExpected(false);
  Executa();

  auto l = Db().QueryAll("select BDCREDITO, BDVALOR from VZEL_EMPRESAS_TLAN");
  ASSERT_EQ(l.Rows.size(), 1u) << Todas();
  EXPECT_EQ(l.Value(0, "BDVALOR").AsCurrency(), C("220"));
  EXPECT_EQ(l.Value(0, "BDCREDITO").AsInteger(), seed::kContaBanco);   // no such nickname: the main account
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 60").AsCurrency(), C("210"));
  ASSERT_EQ(mensagens_.size(), 4u) << Todas();
  EXPECT_NE(Todas().find("O valor total informado no VYN Report (300,01) não corresponde ao valor total do imposto "
                         "emitido"),
            std::string::npos);
  EXPECT_EQ(std::count_if(mensagens_.begin(), mensagens_.end(),
                          [](const std::string& m) { return m.find("Não foi encontrado nenhum imposto emitido") !=
                                                            std::string::npos; }),
            2);
  // Interactive refusals are listed, not recorded.
  EXPECT_EQ(Db().QueryValue("select count(*) from VSH_EMP_TCONF_IMPPAG_IMP").AsInteger(), 1);
}

TEST_F(ImportacaoPagamentosTest, AGuideWhoseOpenBalanceIsNotWhatThePortalPaidIsRefusedNotSettledForItsBalance) {
  Guia(Db(), 70, 202403, "100.00", "105.53");
  ExecutaComoSuite(Db(), "update TDARFGERPGTO set BDSALDOAPAGAR = 100 where BDCHAVEDARF = 70");
  Responde(Pagamento("100.00", "105.53"));
  Executa();

  EXPECT_EQ(Lancamentos(), 0);
  ASSERT_EQ(mensagens_.size(), 1u) << Todas();
  EXPECT_NE(mensagens_[0].find("O valor total informado no VYN Report (105,53) não corresponde ao saldo a pagar do "
                               "imposto emitido (100,00)"),
            std::string::npos)
      << mensagens_[0];
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 70").AsCurrency(), C("100"));
}

// A payment corrected in the portal after its settlement settles no other guide of the new amount: it is
// refused as booked, and the difference is told.
TEST_F(ImportacaoPagamentosTest, APaymentCorrectedInThePortalIsToldWithItsDifferenceNotSettledAgain) {
  Guia(Db(), 70, 202403, "100.00", "105.53");
  Guia(Db(), 71, 202403, "100.00", "105.00");
  Responde(Pagamento("100.00", "105.53", "Caixa", 3, kTag, "pg-70"));
  Executa();
  ASSERT_EQ(Lancamentos(), 1) << Todas();

  Responde(Pagamento("100.00", "105.00", "Caixa", 3, kTag, "pg-70"));
  Executa();
  EXPECT_EQ(Lancamentos(), 1);
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 71").AsCurrency(), C("105"));
  ASSERT_EQ(mensagens_.size(), 1u) << Todas();
  EXPECT_NE(mensagens_[0].find("já lançado em "), std::string::npos) << mensagens_[0];
  EXPECT_NE(mensagens_[0].find("O VYN Report informa agora 105,00 e foram baixados 105,53: a diferença de 0,53 não foi "
                               "baixada."),
            std::string::npos)
      << mensagens_[0];
}

TEST_F(ImportacaoPagamentosTest, NothingIsSettledIntoAClosedZeroedOrLockedPeriod) {
  TVerificaBloqueioLancamento bloqueios;
  ProcessContext().PostingLocks = &bloqueios;
  Guia(Db(), 90, 202403, "100.00", "105.53");
  Responde(Pagamento("100.00", "105.53"));
  const std::vector<std::pair<std::string, std::string>> casos{
      {"update TEMPRESAS_REF set BDULTENC = '2024-04-30' where BDCODEMP = 1",
       "O período da empresa 1 está encerrado até 30/04/2024."},
      {"insert into TPROCESSO_ZERAMENTO (BDCODEMP, BDDATAINI, BDDATAFIM) values (1, '2024-04-01', '2024-04-30')",
       "Existe processo de zeramento da empresa 1 no período de 01/04/2024 a 30/04/2024."},
      {"insert into TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM) values (1, 1, 'frLancamento', "
       "'2024-04-15', '2024-04-25')",
       "Existe bloqueio de lançamentos da empresa 1 no período de 15/04/2024 a 25/04/2024."}};
  for (const auto& [sql, texto] : casos) {
    Db().Execute("update TEMPRESAS_REF set BDULTENC = null");
    Db().Execute("delete from TPROCESSO_ZERAMENTO");
    Db().Execute("delete from TBLOQUEIO_LANCAMENTO");
    Db().Execute(sql);
    Executa();
    EXPECT_EQ(Lancamentos(), 0);
    ASSERT_EQ(mensagens_.size(), 1u) << Todas();
    EXPECT_NE(mensagens_[0].find(": Baixa não realizada: " + texto), std::string::npos) << mensagens_[0];
  }
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 90").AsCurrency(),
            C("105.53"));
  ProcessContext().PostingLocks = nullptr;
}

// Another workstation commits a manual-posting lock (with the screen's leading T) just after this run's own
// check of the payment's day found none.
class TBloqueioLogoDepois : public IPostingLockCheck {
 public:
  explicit TBloqueioLogoDepois(TDatabase& db) : db_(db) {}
  bool Locked(int, TDateTime, TDateTime, const std::string&, int, int, std::string&) override {
    if (!feito_)
      ExecutaComoSuite(db_, "insert into TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM, BDMOTIVO) "
                            "values (1, 1, 'TfrLancamento', '2024-04-01', '2024-04-30', 'Balanço entregue')");
    feito_ = true;
    return false;
  }

 private:
  TDatabase& db_;
  bool feito_ = false;
};

TEST_F(ImportacaoPagamentosTest, AManualPostingLockCommittedAfterTheCheckStopsTheSettlement) {
  TBloqueioLogoDepois bloqueio(Db());
  ProcessContext().PostingLocks = &bloqueio;
  Guia(Db(), 90, 202403, "100.00", "105.53");
  Responde(Pagamento("100.00", "105.53"));
  Executa();
  ProcessContext().PostingLocks = nullptr;
  EXPECT_EQ(Lancamentos(), 0);
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 90").AsCurrency(),
            C("105.53"));
  ASSERT_FALSE(mensagens_.empty());
  EXPECT_NE(mensagens_.back().find("20/04/2024: Baixa não realizada: Existe bloqueio de lançamentos da empresa 1 no período de "
                               "01/04/2024 a 30/04/2024. Motivo: Balanço entregue"),
            std::string::npos)
      << Todas();
}

TEST_F(ImportacaoPagamentosTest, ScheduledRefusalsAreRecordedAndAFailedSettlementIsNotMarked) {
  TResultadoExecucao resultado;
  TEscopoResultadoExecucao aberto(resultado);
  ProcessContext().WP_AGENDAMENTO = 7;
  Guia(Db(), 70, 202403, "50.00", "50.00");
  ExecutaComoSuite(Db(), "delete from TDARFGERPGTO where BDCHAVEDARF = 70");   // nothing the engine can settle
  Responde(Pagamento("50.00", "50.00") + "," + Pagamento("1.00", "1.00"));
  Executa(true);

  EXPECT_EQ(Lancamentos(), 0);
  auto c = Db().QueryAll("select BDCODIMP, BDIMPORTADO, BDINCONSISTENCIA from VSH_EMP_TCONF_IMPPAG_IMP "
                         "where BDCODAGENDAMENTO = 7 order by BDVALOR");
  ASSERT_EQ(c.Rows.size(), 2u);
  // A payment without a guide finds its tax by the tag.
  EXPECT_EQ(c.Value(0, "BDCODIMP").AsInteger(), kImposto);
  EXPECT_TRUE(c.Value(0, "BDIMPORTADO").IsNull());
  EXPECT_EQ(c.Value(0, "BDINCONSISTENCIA").AsString(), "Importação: Não foi encontrado nenhum imposto emitido");
  EXPECT_TRUE(c.Value(1, "BDIMPORTADO").IsNull());
  EXPECT_TRUE(StartsWithText(c.Value(1, "BDINCONSISTENCIA").AsString(), "Importação: Baixa não realizada: "));
  EXPECT_LE(Utf8Length(c.Value(1, "BDINCONSISTENCIA").AsString()), 200u);
  EXPECT_EQ(resultado.Mensagem, "Importação: Não foi encontrado nenhum imposto emitido");
  EXPECT_TRUE(dialogs_.Calls().empty());
  ProcessContext().WP_AGENDAMENTO = 0;
}

TEST_F(ImportacaoPagamentosTest, ALaterRefusalUnderTheSameScheduleKeepsTheSettlementRecorded) {
  ProcessContext().WP_AGENDAMENTO = 8;
  Guia(Db(), 80, 202403, "40.00", "40.00");
  Responde(Pagamento("40.00", "40.00"));
  Executa(true);
  Executa(true);   // the schedule's next run finds the guide paid

  EXPECT_EQ(Lancamentos(), 1);
  auto c = Db().QueryAll("select BDIMPORTADO, BDINCONSISTENCIA from VSH_EMP_TCONF_IMPPAG_IMP where BDCODAGENDAMENTO = 8");
  ASSERT_EQ(c.Rows.size(), 1u);
  EXPECT_EQ(c.Value(0, "BDIMPORTADO").AsInteger(), 1);
  EXPECT_EQ(c.Value(0, "BDINCONSISTENCIA").AsString(), "Importação: Imposto emitido já pago");
  ProcessContext().WP_AGENDAMENTO = 0;
}

TEST_F(ImportacaoPagamentosTest, PortalFailureIsListedInteractivelyAndRaisedWhenScheduled) {
  Guia(Db(), 55, 202403, "100.00", "100.00");
  std::string autorizacao;
  portal_.On("POST", "/pagamentos/consulta", [&](const TFakeRequest& r) {
    autorizacao = r.Header("Authorization");
    return TFakeResponse::Json(400, R"({"erros":["Empresa inexistente","Token"]})");
  });
  Executa();
  ASSERT_EQ(mensagens_.size(), 2u);
  EXPECT_EQ(mensagens_[0], "Retorno VYN Report: Empresa inexistente");
  ASSERT_EQ(autorizacao.rfind("Bearer ", 0), 0u);
  const std::string token = autorizacao.substr(7);
  // A refusal that echoes the bearer token it was sent, in its list or in an error page, never shows it.
  portal_.On("POST", "/pagamentos/consulta", [&](const TFakeRequest&) {
    return TFakeResponse::Json(400, R"({"erros":["Empresa inexistente","Token )" + token + R"( expirado"]})");
  });
  Executa();
  ASSERT_EQ(mensagens_.size(), 2u);
  EXPECT_EQ(mensagens_[1], "Retorno VYN Report: Token *** expirado");
  portal_.On("POST", "/pagamentos/consulta", [&](const TFakeRequest&) {
    return TFakeResponse(500, "<h1>Erro</h1><p>Authorization: Bearer " + token + "</p>", "text/html");
  });
  Executa();
  EXPECT_EQ(Todas().find(token), std::string::npos) << Todas();
  portal_.On("POST", "/pagamentos/consulta", TFakeResponse::Json(400, R"({"erros":["Empresa inexistente","Token"]})"));

  try {
    Executa(true);
    FAIL() << "expected the run to fail";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Erro na importação: Retorno VYN Report: Empresa inexistente Token");
  }
  // A malformed success answer settles nothing and is a failure, not an empty success.
  portal_.On("POST", "/pagamentos/consulta", TFakeResponse::Json(200, R"({"pagamentos":[{"valorOriginal":"x"}]})"));
  EXPECT_THROW(Executa(true), std::runtime_error);
  // So is a payment without its date: nothing is posted on a date the portal never gave.
  std::string semData = Pagamento("100.00", "100.00");
  semData.replace(semData.find(R"("dataPagamento":"2024-04-20",)"), 29, "");
  Responde(semData);
  EXPECT_THROW(Executa(true), std::runtime_error);
  EXPECT_EQ(Lancamentos(), 0);
}

TEST_F(ImportacaoPagamentosTest, NothingFoundWarnsAndNoTickedCompanyRunsNothing) {
  Responde("");
  dialogs_.Ok("Não foi encontrado nenhum registro para ser importado!");
  Executa();
  EXPECT_TRUE(dialogs_.Done());

  auto t = Tela();
  ASSERT_EQ(t->lvEmpresas->Count(), 1);   // only the company with a portal code
  t->CommandTextEmp(2);
  EXPECT_EQ(t->lvEmpresas->Count(), 0);
  const size_t antes = portal_.RequestCount();
  t->spOK->Click();
  EXPECT_EQ(portal_.RequestCount(), antes);
}

}  // namespace
}  // namespace integracao
