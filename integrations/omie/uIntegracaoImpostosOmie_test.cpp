#include "integrations/omie/uIntegracaoImpostosOmie.h"

#include <gtest/gtest.h>

#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/scripted_dialogs.h"
#include "integrations/omie/omie_test_support.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;

Currency Reais(int v) { return Currency::FromInt(v); }

class IntegracaoImpostosOmieTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    SemeiaEmpresaOmie(Db());
    SemeiaGuiaOmie(Db(), 101, 12, 202403, EncodeDate(2024, 4, 20), Reais(100));
    SemeiaGuiaOmie(Db(), 102, 12, 202401, EncodeDate(2024, 2, 20), Reais(40));   // earlier, still open
    SemeiaGuiaOmie(Db(), 103, 13, 202403, EncodeDate(2024, 4, 25), Reais(30));   // paid in full
    SemeiaGuiaOmie(Db(), 104, 14, 202403, EncodeDate(2024, 4, 25), Reais(30));   // not an Omie tax system
    ExecutaComoSuite(Db(), "insert into TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO) "
                           "values (1, 103, 1, '2024-04-25', 30)");
  }
  std::map<std::pair<int, int>, int> Selecao(int rg, int r1, int r2) {
    auto r = Db().QueryAll(SQLSelecaoImpostosOmie(
        rg, r1, r2, [](const std::string& c) { return c + " = 1"; }, ""));
    std::map<std::pair<int, int>, int> out;
    for (size_t i = 0; i < r.Rows.size(); ++i)
      out[{static_cast<int>(r.Value(i, "BDCODEMP").AsInteger()), static_cast<int>(r.Value(i, "BDCODIMP").AsInteger())}] =
          static_cast<int>(r.Value(i, "BDTIPO").AsInteger());
    return out;
  }
};

TEST_F(IntegracaoImpostosOmieTest, SelectionFindsExportAndImportWorkPerCompanyAndTax) {
  using M = std::map<std::pair<int, int>, int>;
  EXPECT_EQ(Selecao(2, 202403, 202403), (M{{{1, 12}, 3}, {{1, 13}, 1}}));
  EXPECT_EQ(Selecao(0, 202403, 202403), (M{{{1, 12}, 1}, {{1, 13}, 1}}));
  // Import looks back before the first month: the open guide of January alone brings tax 12.
  EXPECT_EQ(Selecao(1, 202402, 202402), (M{{{1, 12}, 2}}));
  // A partial payment leaves the guide to import.
  ExecutaComoSuite(Db(), "update TDARFGERPGTO_BAIXA set BDVALORPGTO = 10");
  EXPECT_EQ(Selecao(1, 202403, 202403), (M{{{1, 12}, 2}, {{1, 13}, 2}}));
  EXPECT_TRUE(Db().QueryAll(SQLSelecaoImpostosOmie(2, 202403, 202403, [](const std::string&) { return ""; }, ""))
                  .Rows.empty());
}

TEST_F(IntegracaoImpostosOmieTest, ARunExportsEachSelectedTaxAndEndsWithOneMessage) {
  TFakeHttpServer server;
  server.On("POST", "/api/v1/geral/clientes/", TFakeResponse(200, R"({"codigo_cliente_omie":9})"));
  server.On("POST", "/api/v1/financas/contapagar/", TFakeResponse(200, "{}"));
  TPastaProgramaTeste programa;
  TScriptedDialogs dialogs;
  dialogs.Ok("Processo realizado com sucesso!");
  auto tela = MakeForm<TfrIntegracaoImpostosOmie>();
  tela->OnPreparaClienteOmie = [&](TIntegracaoOmieBase& c) { c.SetURLBase(server.BaseURL()); };
  tela->edCODEMP->Vale(1);
  tela->edRefIni->SetText("03/2024");
  tela->edRefFim->SetText("03/2024");
  tela->spOK->Click();
  EXPECT_EQ(tela->TotalIntegrado(), 2);   // the guides of taxes 12 and 13 in March
  EXPECT_TRUE(dialogs.Done()) << testing::PrintToString(dialogs.Pending());

  // Omie refusing everything turns the end message into a warning.
  server.On("POST", "/api/v1/financas/contapagar/", TFakeResponse(500, R"({"faultstring":"Bloqueado"})"));
  dialogs.Ok("Processo realizado com inconsistencias!");
  tela->spOK->Click();
  EXPECT_EQ(tela->TotalIntegrado(), 0);
  EXPECT_TRUE(dialogs.Done()) << testing::PrintToString(dialogs.Pending());

  tela->edRefIni->SetText("01/2020");
  tela->edRefFim->SetText("01/2020");
  dialogs.Ok("Nenhum imposto integrado!");
  tela->spOK->Click();
  EXPECT_TRUE(dialogs.Done()) << testing::PrintToString(dialogs.Pending());
}

TEST_F(IntegracaoImpostosOmieTest, SeveralCompaniesTypedInTheCompanyEditEachRunTheirTaxes) {
  Db().Execute("update TEMPRESAS set BDOMIE = 'TRUE', BDCHAVEACESSOOMIE = 'k-2', BDSENHAOMIE = 's-2' where BDCODEMP = 2");
  Db().Execute("insert into TEMPRESAIMPOSTO (BDCODEMP, BDCODIMP) values (2, 12)");
  Db().Execute("insert into TDARFPADRAO (BDCODEMP, BDCHAVEDARF, BDCODIMP, BDREFERENCIA, BDDATAVCTO, BDVALOR, "
               "BDVLRIMPORIGINAL, BDTOTAL) values (2, 201, 12, 202403, '2024-04-20', 70, 70, 70)");
  TFakeHttpServer server;
  server.On("POST", "/api/v1/geral/clientes/", TFakeResponse(200, R"({"codigo_cliente_omie":9})"));
  server.On("POST", "/api/v1/financas/contapagar/", TFakeResponse(200, "{}"));
  TPastaProgramaTeste programa;
  TScriptedDialogs dialogs;
  dialogs.Ok("Processo realizado com sucesso!");
  auto tela = MakeForm<TfrIntegracaoImpostosOmie>();
  tela->OnPreparaClienteOmie = [&](TIntegracaoOmieBase& c) { c.SetURLBase(server.BaseURL()); };
  tela->edCODEMP->SetFocus();
  tela->edCODEMP->SetText("1;2");
  tela->edRefIni->SetFocus();   // the company edit's exit checks what was typed
  tela->edRefIni->SetText("03/2024");
  tela->edRefFim->SetText("03/2024");
  tela->spOK->Click();
  EXPECT_EQ(tela->TotalIntegrado(), 3);   // company 1's taxes 12 and 13, company 2's tax 12
  EXPECT_TRUE(dialogs.Done()) << testing::PrintToString(dialogs.Pending());
  bool segunda = false;
  for (const auto& r : server.Requests())
    segunda = segunda || r.Body.find("VARKU_IMPOSTO_2_12_201") != std::string::npos;
  EXPECT_TRUE(segunda);
}

}  // namespace
}  // namespace integracao
