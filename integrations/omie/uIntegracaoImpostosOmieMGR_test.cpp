#include "integrations/omie/uIntegracaoImpostosOmieMGR.h"

#include <gtest/gtest.h>

#include "framework/component/resultado_execucao.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/schema/seed.h"
#include "framework/ui/inconsistencias.h"
#include "framework/host/posting_lock_check.h"
#include "framework/ui/posting_lock.h"
#include "integrations/omie/omie_test_support.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"
#include "testing/settlement_seed.h"

namespace integracao {
namespace {

using namespace vyn;

Currency R(int v) { return Currency::FromInt(v); }

class TBloqueioSempre : public IPostingLockCheck {
 public:
  bool Locked(int, TDateTime, TDateTime, const std::string&, int, int, std::string& m) override {
    m = "Período bloqueado pelo usuário.";
    return true;
  }
};

class ImpostosOmieTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddStandardCompany(Db(), 202401);
    Db().Execute("update TEMPRESAS set BDOMIE = 'TRUE', BDCHAVEACESSOOMIE = 'k-1', BDSENHAOMIE = 'enc:s-1' "
                 "where BDCODEMP = 1");
    ProcessContext().DecifraSenha = [](const std::string& s) { return s.rfind("enc:", 0) == 0 ? s.substr(4) : ""; };
    Db().Execute("insert into TIMPOSTO (BDCODIMP, BDDESCIMP, BDCODSIS) values (12, 'IRPJ', 7)");
    Db().Execute("insert into TEMPRESAIMPOSTO (BDCODEMP, BDCODIMP) values (1, 12)");
    Guia(101, 202403, EncodeDate(2024, 4, 30), R(100));
    Guia(102, 202403, EncodeDate(2024, 4, 30), R(50));
    lista_ = bloqueio_.Inconsistencias();
    server_.On("POST", "/api/v1/geral/clientes/", TFakeResponse(200, R"({"codigo_cliente_omie":555})"));
    server_.On("POST", "/api/v1/financas/contapagar/", TFakeResponse(200, R"({"codigo_status":"0"})"));
  }
  void TearDown() override {
    ProcessContext().DecifraSenha = nullptr;
    ProcessContext().PostingLocks = nullptr;
    ProcessContext().WP_AGENDAMENTO = 0;
    CompanyDatabaseTest::TearDown();
  }
  void Guia(int chave, int ref, TDateTime vcto, Currency valor, bool emitida = true) {
    Db().Execute("insert into TDARFPADRAO (BDCODEMP, BDCHAVEDARF, BDCODIMP, BDREFERENCIA, BDDATAVCTO, BDVALOR, "
                 "BDVLRIMPORIGINAL, BDTOTAL) values (1, ?, 12, ?, ?, ?, ?, ?)",
                 {chave, ref, vcto, valor, valor, valor});
    if (emitida) seed::AddGuia(Db(), 1, chave, valor);
  }
  TIntegracaoImpostosOmieMGR* Engine(int tipo, bool exportar, bool importar) {
    auto* e = TIntegracaoImpostosOmieMGR::CreateMgr(&owner_);
    e->Empresa = 1;
    e->Imposto = 12;
    e->DescricaoImposto = "IRPJ";
    e->ReferenciaInicial = 202403;
    e->ReferenciaFinal = 202405;
    e->TipoIntegracao = tipo;
    e->ExportarProvisoes = exportar;
    e->ImportarPagamentos = importar;
    e->BloqueioLancamento_VYN = &bloqueio_;
    e->OnPreparaClienteOmie = [this](TIntegracaoOmieBase& c) {
      c.SetURLBase(server_.BaseURL());
      c.SetSleeper([](std::chrono::milliseconds) {});
    };
    return e;
  }
  // A payment of payable codigo paid on pagto, Omie's code of it named by both.
  static std::string Mov(const std::string& codigo, const std::string& pagto, const std::string& venc) {
    return R"({"detalhes":{"nCodBaixa":")" + codigo + "@" + pagto + R"(","cCodIntTitulo":")" + codigo +
           R"(","dDtPagamento":")" + pagto +
           R"(","dDtVenc":")" + venc + R"(","cNumDocFiscal":"D-)" + codigo + R"("}})";
  }
  void Movimentos(const std::vector<std::string>& movs) {
    server_.On("POST", "/api/v1/financas/mf/",
               TFakeResponse(200, R"({"nTotPaginas":1,"movimentos":[)" + Join(movs, ",") + "]}"));
  }

  TPastaProgramaTeste programa_;
  TComponent owner_;
  TBloqueioLancamento_VYN bloqueio_;
  TInconsistencias_VYN* lista_ = nullptr;
  TFakeHttpServer server_;
  TVerificaBloqueioLancamento verifica_;
};

TEST_F(ImpostosOmieTest, GuidesAreExportedAsPayablesOfTheTaxSupplier) {
  auto* e = Engine(1, true, true);
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 2);
  std::vector<TJsonOmie> contas;
  for (const TFakeRequest& r : server_.Requests()) {
    const TJsonOmie b = TJsonOmie::parse(r.Body);
    if (b.at("call") == "IncluirContaPagarPorLote") contas.push_back(b.at("param").at(0).at("conta_pagar_cadastro").at(0));
    if (b.at("call") == "UpsertCliente") {
      EXPECT_EQ(b.at("param").at(0).at("codigo_cliente_integracao"), "VARKU_IMPOSTO_12");
      EXPECT_EQ(b.at("param").at(0).at("estado"), "EX");
    }
  }
  ASSERT_EQ(contas.size(), 2u);
  EXPECT_EQ(contas[0].dump(), R"({"codigo_lancamento_integracao":"VARKU_IMPOSTO_1_12_101",)"
                              R"("codigo_cliente_fornecedor":"555","data_vencimento":"30/04/2024",)"
                              R"("data_previsao":"30/04/2024","valor_documento":"100.00"})");
  ASSERT_EQ(lista_->Count(), 1);
  EXPECT_EQ(lista_->Itens()[0].Caption, "Imposto 12 - IRPJ: 2 impostos exportados.");

  // A refused batch counts only what Omie confirmed and is reported with its fault.
  server_.OnSequence("POST", "/api/v1/financas/contapagar/",
                     {TFakeResponse(200, "{}"), TFakeResponse(500, R"({"faultstring":"Erro de validação"})")});
  lista_->Clear();
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 3);
  ASSERT_EQ(lista_->CountAtencao(), 1);
  EXPECT_EQ(lista_->Itens()[0].Caption, "[OMIE] 500 - Erro de validação");

  // Nothing above zero: nothing is sent.
  Db().Execute("update TDARFPADRAO set BDVLRIMPORIGINAL = 0");
  const size_t antes = server_.RequestCount();
  lista_->Clear();
  e->Execute();
  EXPECT_EQ(server_.RequestCount() - antes, 2u);   // the supplier upserts only
  EXPECT_TRUE(lista_->IsEmpty());
}

TEST_F(ImpostosOmieTest, ARepeatedExportSendsNoMarkedGuideAndGoesOnPastPayablesOmieAlreadyHas) {
  TResultadoExecucao resultado;
  TEscopoResultadoExecucao aberto(resultado);
  Guia(103, 202404, EncodeDate(2024, 5, 31), R(70));
  ProcessContext().WP_AGENDAMENTO = 5;
  // An earlier schedule put guide 101 in Omie; Omie already has 102 from an unrecorded run.
  Db().Execute("insert into VSH_EMP_TCONF_OMIE_DARF (BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, "
               "BDORDEMAGENDAMENTO, BDCHAVEDARF, BDEXPORTACAO) values (4, 1, 0, 0, 101, 1)");
  server_.OnSequence("POST", "/api/v1/financas/contapagar/",
                     {TFakeResponse(500, R"({"faultstring":"ERROR: Lançamento já cadastrado para o Código de )"
                                         R"(Integração [VARKU_IMPOSTO_1_12_102] !"})"),
                      TFakeResponse(200, "{}")});
  auto* e = Engine(1, true, false);
  e->IsTARVO = true;
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 3);
  EXPECT_EQ(resultado.Mensagem, "");
  std::vector<std::string> enviadas;
  for (const TFakeRequest& r : server_.Requests()) {
    const TJsonOmie b = TJsonOmie::parse(r.Body);
    if (b.at("call") == "IncluirContaPagarPorLote")
      enviadas.push_back(b.at("param").at(0).at("conta_pagar_cadastro").at(0).at("codigo_lancamento_integracao"));
  }
  EXPECT_EQ(enviadas, (std::vector<std::string>{"VARKU_IMPOSTO_1_12_102", "VARKU_IMPOSTO_1_12_103"}));
  auto rows = Db().QueryAll("select BDCHAVEDARF from VSH_EMP_TCONF_OMIE_DARF where BDCODAGENDAMENTO = 5 and "
                            "BDEXPORTACAO = 1 order by BDCHAVEDARF");
  ASSERT_EQ(rows.Rows.size(), 2u);
  EXPECT_EQ(rows.Value(0, "BDCHAVEDARF").AsInteger(), 102);
  EXPECT_EQ(rows.Value(1, "BDCHAVEDARF").AsInteger(), 103);
}

TEST_F(ImpostosOmieTest, AFailingStatusScriptIsReportedNotIgnored) {
  TResultadoExecucao resultado;
  TEscopoResultadoExecucao aberto(resultado);
  Db().Execute("alter table VSH_EMP_TCONF_OMIE_DARF add constraint CK_TESTE_DARF check (BDCHAVEDARF < 0)");
  auto* e = Engine(1, true, false);
  e->IsTARVO = true;
  e->Execute();
  EXPECT_EQ(resultado.Mensagem.rfind("Não foi possível gravar a conferência da integração Omie: ", 0), 0u)
      << resultado.Mensagem;
}

TEST_F(ImpostosOmieTest, MissingCredentialsAreReportedKeyFirstAndNothingIsSent) {
  Db().Execute("update TEMPRESAS set BDCHAVEACESSOOMIE = ' ', BDSENHAOMIE = null where BDCODEMP = 1");
  auto* e = Engine(3, true, true);
  e->Execute();
  ASSERT_EQ(lista_->Count(), 2);
  EXPECT_EQ(lista_->Itens()[0].Caption, "Chave de acesso não informada na Configuração de Serviços Web");
  EXPECT_EQ(lista_->Itens()[1].Caption, "Senha de acesso não informada na Configuração de Serviços Web");
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(ImpostosOmieTest, PaymentsSettleTheirOwnGuideOnceThroughTheSettlementEngine) {
  Movimentos({Mov("VARKU_IMPOSTO_1_12_102", "05/05/2024", "30/04/2024"),
              Mov("VARKU_IMPOSTO_1_12_102", "06/05/2024", "30/04/2024"),   // the same payable again
              Mov("VARKU_IMPOSTO_2_12_101", "05/05/2024", "30/04/2024"),   // another company's
              Mov("VARKU_IMPOSTO_1_12_101", "05/05/2024", "30/04/2024")});
  auto* e = Engine(2, false, true);
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 2);
  auto l = Db().QueryAll("select BDDATA, BDVALOR, BDDCTO from VZEL_EMPRESAS_TLAN order by BDVALOR");
  ASSERT_EQ(l.Rows.size(), 2u);
  EXPECT_EQ(l.Value(0, "BDVALOR").AsCurrency(), R(50));
  EXPECT_EQ(l.Value(0, "BDDCTO").AsString(), "D-VARKU_IMPOSTO_1_12_102");
  EXPECT_EQ(l.Value(1, "BDVALOR").AsCurrency(), R(100));
  EXPECT_EQ(l.Value(1, "BDDATA").AsDateTime(), EncodeDate(2024, 5, 5));
  EXPECT_EQ(lista_->CountAtencao() + lista_->CountErros(), 0);
  EXPECT_EQ(lista_->Itens().back().Caption, "Imposto 12 - IRPJ: 2 impostos importados.");
  const TJsonOmie p = TJsonOmie::parse(server_.LastRequest().Body).at("param").at(0);
  EXPECT_EQ(p.at("nCodCliente"), "555");
  EXPECT_EQ(p.at("dDtPagtoDe"), "01/03/2024");
  EXPECT_EQ(p.at("dDtPagtoAte"), "31/05/2024");

  // A second run finds both guides paid and settles nothing again.
  lista_->Clear();
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 2);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);
}

TEST_F(ImpostosOmieTest, APaymentSettlesWhatItPaidOnceAndALaterOneTheRest) {
  const auto pago = [](std::string mov, const std::string& valor) {
    return mov.substr(0, mov.size() - 1) + R"(,"resumo":{"cLiquidado":"N","nValPago":)" + valor + "}}";
  };
  Movimentos({pago(Mov("VARKU_IMPOSTO_1_12_101", "05/05/2024", "30/04/2024"), "20.5"),
              pago(Mov("VARKU_IMPOSTO_1_12_102", "05/05/2024", "30/04/2024"), "\"vinte\"")});
  auto* e = Engine(2, false, true);
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 1);
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 101").AsCurrency(),
            Currency::Parse("79.5"));
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 102").AsCurrency(), R(50));
  ASSERT_EQ(lista_->CountAtencao(), 1);
  EXPECT_EQ(lista_->Itens()[1].Caption, "O pagamento da guia 102 (título \"VARKU_IMPOSTO_1_12_102\") veio da Omie com "
                                        "o valor pago \"vinte\": a guia não foi baixada.");
  EXPECT_EQ(lista_->Itens()[0].Caption, "Imposto 12 - IRPJ: a guia 101 foi baixada parcialmente (pago 20,50 em "
                                        "05/05/2024); restam 79,50 a pagar.");

  // The same payment again settles nothing; the next one settles what it paid, and one above what is
  // left is refused by the settlement.
  Movimentos({pago(Mov("VARKU_IMPOSTO_1_12_101", "05/05/2024", "30/04/2024"), "20.5"),
              pago(Mov("VARKU_IMPOSTO_1_12_101", "20/05/2024", "30/04/2024"), "79.50"),
              pago(Mov("VARKU_IMPOSTO_1_12_102", "20/05/2024", "30/04/2024"), "60")});
  lista_->Clear();
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 2);
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 101").AsCurrency(), R(0));
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 102").AsCurrency(), R(50));
  EXPECT_EQ(lista_->CountAtencao() + lista_->CountErros(), 1);
  auto l = Db().QueryAll("select BDVALORPGTO from TDARFGERPGTO_BAIXA where BDCHAVEDARF = 101 order by BDSEQ");
  ASSERT_EQ(l.Rows.size(), 2u);
  EXPECT_EQ(l.Value(0, "BDVALORPGTO").AsCurrency(), Currency::Parse("20.5"));
  EXPECT_EQ(l.Value(1, "BDVALORPGTO").AsCurrency(), Currency::Parse("79.5"));
  EXPECT_EQ(Db().QueryValue("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN").AsCurrency(), R(100));
}

// Two payments of one payable on one day, alike in amount and document, are two payments by their
// codes; a payment that comes again is settled once, and one without a code is refused by its line.
TEST_F(ImpostosOmieTest, PaymentsAreToldApartByOmiesCodeOnly) {
  const auto pagamento = [](const std::string& codigo) {
    return std::string(R"({"detalhes":{)") + (codigo.empty() ? "" : R"("nCodBaixa":)" + codigo + ",") +
           R"("cCodIntTitulo":"VARKU_IMPOSTO_1_12_101","dDtPagamento":"05/05/2024","dDtVenc":"30/04/2024",)"
           R"("cNumDocFiscal":"D-101"},"resumo":{"cLiquidado":"N","nValPago":20}})";
  };
  Movimentos({pagamento("71"), pagamento("72"), pagamento("71"), pagamento("")});
  auto* e = Engine(2, false, true);
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 2);
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 101").AsCurrency(), R(60));
  ASSERT_EQ(lista_->CountAtencao(), 1);
  for (const TInconsistenciaItem& i : lista_->Itens()) {
    if (i.Nivel != niAtencao) continue;
    EXPECT_NE(i.Caption.find("sem o código da baixa (nCodBaixa)"), std::string::npos) << i.Caption;
  }
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA F join VZEL_EMPRESAS_TLAN L on "
                            "L.BDCODEMP = F.BDCODEMP and L.BDCHAVE = F.BDCHAVELAN where F.BDTIPOFONTE = 10")
                .AsInteger(),
            2);
}

TEST_F(ImpostosOmieTest, APaymentOfAPayableMadeInOmieSettlesNoGuideOnAnyRunAndIsListed) {
  // Two open guides fall due on the payment's due date: guessing would settle one per run.
  Movimentos({Mov("OUTRO-77", "07/05/2024", "30/04/2024"), Mov("", "07/05/2024", "30/04/2024")});
  auto* e = Engine(2, false, true);
  for (int run = 0; run < 2; ++run) {
    lista_->Clear();
    e->Execute();
    EXPECT_EQ(e->TotalIntegrado(), 0);
    EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 0);
    ASSERT_EQ(lista_->CountAtencao(), 2);
    EXPECT_EQ(lista_->Itens()[0].Caption,
              "O pagamento do título \"OUTRO-77\" (documento \"D-OUTRO-77\", vencimento 30/04/2024, pago em "
              "07/05/2024) não foi incluído por esta integração na Omie e não indica a guia que paga: nenhuma guia "
              "foi baixada por ele.");
  }
  EXPECT_EQ(Db().QueryValue("select count(*) from TDARFGERPGTO where BDSALDOAPAGAR > 0").AsInteger(), 2);
}

TEST_F(ImpostosOmieTest, APaymentWithoutAPaymentDateIsRefusedByName) {
  Movimentos({Mov("VARKU_IMPOSTO_1_12_101", "", "30/04/2024")});
  auto* e = Engine(2, false, true);
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 0);
  ASSERT_EQ(lista_->Count(), 1);
  EXPECT_EQ(lista_->Itens()[0].Caption, "O pagamento da guia 101 (título \"VARKU_IMPOSTO_1_12_101\") veio da Omie sem "
                                        "data de pagamento: a guia não foi baixada.");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 0);
}

TEST_F(ImpostosOmieTest, SettlementWarningsOfAnInteractiveRunArriveOnceEachUnderTheirOwnKind) {
  Guia(103, 202404, EncodeDate(2024, 5, 31), R(70), false);   // not in the payment module: cannot settle
  Movimentos({Mov("VARKU_IMPOSTO_1_12_101", "05/05/2024", "30/04/2024"),
              Mov("VARKU_IMPOSTO_1_12_103", "05/06/2024", "31/05/2024")});
  auto* e = Engine(2, false, true);
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 1);
  EXPECT_EQ(lista_->CountErros(), 0);
  ASSERT_EQ(lista_->CountAtencao(), 1);
  ASSERT_EQ(lista_->Count(), 2);
  EXPECT_EQ(lista_->Itens()[0].Caption, "Imposto 12 - IRPJ: 1 impostos importados.");
  EXPECT_NE(lista_->Itens()[1].Caption.find("103"), std::string::npos) << lista_->Itens()[1].Caption;
}

TEST_F(ImpostosOmieTest, ARangeStartingBeforeTheAccountConfigurationSettlesWithItsLaterMonth) {
  Db().Execute("update TCONF_CONTAS_ONLINE_REF set BDREFCTA = 202404 where BDCODPLANOONLINE = 1");
  Movimentos({Mov("VARKU_IMPOSTO_1_12_101", "05/05/2024", "30/04/2024")});
  auto* e = Engine(2, false, true);
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 1) << (lista_->IsEmpty() ? "" : lista_->Itens().back().Caption);
  EXPECT_EQ(Db().QueryValue("select BDCREDITO from VZEL_EMPRESAS_TLAN").AsInteger(), seed::kContaBanco);
}

TEST_F(ImpostosOmieTest, AnOwnPayableWhoseDueDateWasMovedInOmieStillSettlesItsGuide) {
  Movimentos({Mov("VARKU_IMPOSTO_1_12_101", "05/05/2024", "10/05/2024"),
              Mov("VARKU_IMPOSTO_1_12_999", "05/05/2024", "10/05/2024")});   // no such guide
  auto* e = Engine(2, false, true);
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 1);
  auto l = Db().QueryAll("select BDVALOR from VZEL_EMPRESAS_TLAN");
  ASSERT_EQ(l.Rows.size(), 1u);
  EXPECT_EQ(l.Value(0, "BDVALOR").AsCurrency(), R(100));
  EXPECT_EQ(lista_->Itens().back().Caption, "Imposto 12 - IRPJ: 1 impostos importados.");
}

TEST_F(ImpostosOmieTest, ScheduledRunsMarkOnlySettledGuidesAndKeepTheSettlementsFailure) {
  TResultadoExecucao resultado;
  TEscopoResultadoExecucao aberto(resultado);
  Guia(103, 202404, EncodeDate(2024, 5, 31), R(70), false);   // not in the payment module: cannot settle
  Movimentos({Mov("VARKU_IMPOSTO_1_12_101", "05/05/2024", "30/04/2024"),
              Mov("VARKU_IMPOSTO_1_12_103", "05/06/2024", "31/05/2024")});
  ProcessContext().WP_AGENDAMENTO = 9;
  auto* e = Engine(2, false, true);
  e->IsTARVO = true;
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 1);
  auto rows = Db().QueryAll("select BDCHAVEDARF, BDIMPORTACAO from VSH_EMP_TCONF_OMIE_DARF where BDCODAGENDAMENTO = 9");
  ASSERT_EQ(rows.Rows.size(), 1u);
  EXPECT_EQ(rows.Value(0, "BDCHAVEDARF").AsInteger(), 101);
  EXPECT_NE(resultado.Mensagem.find("103"), std::string::npos);

  // A run killed after its settlement and before its marks: the next run marks the paid guide and
  // settles nothing twice.
  Db().Execute("delete from VSH_EMP_TCONF_OMIE_DARF");
  e->Execute();
  rows = Db().QueryAll("select BDCHAVEDARF, BDIMPORTACAO from VSH_EMP_TCONF_OMIE_DARF where BDCODAGENDAMENTO = 9");
  ASSERT_EQ(rows.Rows.size(), 1u);
  EXPECT_EQ(rows.Value(0, "BDCHAVEDARF").AsInteger(), 101);
  EXPECT_EQ(rows.Value(0, "BDIMPORTACAO").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 1);
  ProcessContext().WP_AGENDAMENTO = 0;
}

TEST_F(ImpostosOmieTest, PostingLocksStopTheImportAndFailAScheduledRun) {
  TBloqueioSempre trava;
  ProcessContext().PostingLocks = &trava;
  auto* e = Engine(3, true, true);
  e->Execute();
  ASSERT_EQ(lista_->Count(), 1);
  EXPECT_EQ(lista_->Itens()[0].Caption, "Período bloqueado pelo usuário.");
  EXPECT_EQ(server_.RequestCount(), 0u);

  e->IsTARVO = true;
  EXPECT_THROW(e->Execute(), EIntegracaoOmie);
  EXPECT_EQ(Db().QueryValue("select BDCODSTATUS from VSH_EMP_TCONF_OMIE_EXPORT where BDCODEMP = 1").AsInteger(), 2);
  // A zeroing of the result accounts over the period has its own text.
  ProcessContext().PostingLocks = &verifica_;
  Db().Execute("insert into TPROCESSO_ZERAMENTO (BDCODEMP, BDDATAINI, BDDATAFIM) values (1, '2024-05-01', '2024-05-31')");
  try {
    e->Execute();
    ADD_FAILURE() << "a zeroing over the period must stop a scheduled import";
  } catch (const EIntegracaoOmie& x) {
    EXPECT_STREQ(x.what(), "Não é possível fazer a baixa do imposto pois existe processo de zeramento para o período.");
  }
  // The export alone posts nothing: no lock check.
  e->IsTARVO = false;
  e->ImportarPagamentos = false;
  lista_->Clear();
  e->Execute();
  EXPECT_EQ(e->TotalIntegrado(), 2);
}

}  // namespace
}  // namespace integracao
