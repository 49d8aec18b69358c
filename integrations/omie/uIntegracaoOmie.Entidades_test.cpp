#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <iterator>

#include "integrations/omie/omie_test_support.h"
#include "integrations/omie/uIntegracaoOmie.Clientes.h"
#include "integrations/omie/uIntegracaoOmie.ContasAPagar.h"
#include "integrations/omie/uIntegracaoOmie.MovimentosFinanceiros.h"
#include "integrations/omie/uIntegracaoOmie.MovimentosFiscais.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;

TEST(OmieEntidades, SupplierFieldsAreCutInCharactersInOmiesOrder) {
  TComponent owner;
  auto* f = owner.Create<TClienteFornecedor>();
  f->CodigoCliente = "VARKU_IMPOSTO_123456789";
  f->NomeFantasia = std::string(149, 'a') + "é";
  f->RazaoSocial = std::string(59, 'b') + "çx";
  f->Estado = "EXT";
  f->Pais = "BRASIL";
  const TJsonOmie j = f->ToJSON();
  EXPECT_EQ(j.dump().substr(0, 30), R"({"codigo_cliente_integracao":")");
  std::vector<std::string> keys;
  for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"codigo_cliente_integracao", "nome_fantasia", "razao_social", "cnpj_cpf",
                                            "estado", "codigo_pais"}));
  EXPECT_EQ(j.at("codigo_cliente_integracao"), "VARKU_IMPOSTO_123456");
  EXPECT_EQ(j.at("nome_fantasia"), std::string(100, 'a'));
  EXPECT_EQ(j.at("razao_social"), std::string(59, 'b') + "ç");   // a character is never split
  EXPECT_EQ(j.at("estado"), "EX");
  EXPECT_EQ(j.at("codigo_pais"), "BRAS");
  f->FromJSON({{"codigo_cliente_omie", 4711}, {"razao_social", "X"}});
  EXPECT_EQ(f->CodigoClienteOmie, "4711");
  EXPECT_EQ(f->CodigoCliente, "");
}

TEST(OmieEntidades, AmountsGoAsTwoDecimalTextWhateverTheLocale) {
  const char* saved = std::setlocale(LC_NUMERIC, nullptr);
  std::string restore = saved ? saved : "C";
  std::setlocale(LC_NUMERIC, "pt_BR.UTF-8");
  TComponent owner;
  auto* c = owner.Create<TContasAPagar>();
  c->ValorDocumento = Currency::ParseSQL("1234.5");
  EXPECT_EQ(c->ToJSON().at("valor_documento"), "1234.50");
  EXPECT_EQ(ValorOmie(Currency::ParseSQL("0.005")), "0.01");
  EXPECT_EQ(ValorOmie(Currency::ParseSQL("1000000.9949")), "1000000.99");
  EXPECT_EQ(ValorOmie(Currency()), "0.00");
  std::setlocale(LC_NUMERIC, restore.c_str());
  EXPECT_THROW(c->FromJSON({{"valor_documento", "abc"}}), std::exception);
}

TEST(OmieEntidades, FiscalDocumentsAreDecodedAndCancelledOnesMarked) {
  TComponent owner;
  auto* d = owner.Create<TMovimentosFiscais>();
  const std::string xml = "&lt;nfe&gt;&lt;cStat&gt;100&lt;/cStat&gt;&lt;x&gt;S&#227;o &amp; &#xE9;&lt;/x&gt;"
                          "&lt;cStat&gt;100&lt;/cStat&gt;&lt;/nfe&gt;";
  d->FromJSON({{"cStatus", "10"}, {"cXml", xml}, {"nChave", "3524"}, {"nNumero", 15}});
  EXPECT_EQ(d->FXML, "<nfe><cStat>101</cStat><x>São & é</x><cStat>101</cStat></nfe>");
  EXPECT_EQ(d->FNumero, "15");
  for (const char* status : {"1", "100", " 10"}) {
    d->FromJSON({{"cStatus", status}, {"cXml", xml}});
    EXPECT_NE(d->FXML.find("<cStat>100</cStat>"), std::string::npos) << status;
  }
  EXPECT_EQ(CaracterHTMLtoString("a &bogus; &#0; &"), "a &bogus; &#0; &");
}

TEST(OmieEntidades, QueriesCarryTheirParameterTypesAndDetailsAreUnwrapped) {
  TPastaProgramaTeste programa;
  TFakeHttpServer server;
  server.On("POST", "/api/v1/financas/mf/",
            TFakeResponse(200, R"({"nTotPaginas":"1","app_secret":"segredo-s1","cObs":"chave-k1",)"
                               R"("movimentos":[{"detalhes":{"cCodIntTitulo":"A",)"
                               R"("dDtPagamento":"05/09/2023","dDtVenc":"20/08/2023","cNumDocFiscal":"N1"}}]})"));
  TComponent owner;
  auto* mf = owner.Create<TIntegracaoOmieMovimentosFinanceiros_VYN>("chave-k1", "segredo-s1");
  mf->SetURLBase(server.BaseURL());
  auto* r = mf->GetPagosDaReferencia(EncodeDate(2023, 9, 1), EncodeDate(2023, 9, 30), "998877");
  ASSERT_EQ(r->ObjetoRetorno.size(), 1u);
  EXPECT_EQ(r->ObjetoRetorno[0]->CodigoIntegracao, "A");
  EXPECT_EQ(r->ObjetoRetorno[0]->DataPagamento, EncodeDate(2023, 9, 5));
  EXPECT_EQ(r->ObjetoRetorno[0]->DataVencimento, EncodeDate(2023, 8, 20));
  const TJsonOmie p = TJsonOmie::parse(server.LastRequest().Body).at("param").at(0);
  EXPECT_EQ(p.dump(), R"({"dDtPagtoDe":"01/09/2023","dDtPagtoAte":"30/09/2023","cTpLancamento":"BXCP",)"
                      R"("nCodCliente":"998877","nRegPorPagina":100,"nPagina":1})");
  int env = 0, ret = 0;
  for (const auto& e : std::filesystem::directory_iterator(programa.Pasta() / "Temp" / "Parceiros" / "Omie")) {
    env += e.path().filename().string().find("_ENV_ListarMovimentos") != std::string::npos;
    if (e.path().filename().string().find("_RET_ListarMovimentos_") == std::string::npos) continue;
    ++ret;
    // A success answer echoing the credentials is logged masked, as a refusal is.
    std::ifstream in(e.path());
    const std::string texto((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(texto.find("segredo-s1"), std::string::npos) << texto;
    EXPECT_EQ(texto.find("chave-k1"), std::string::npos) << texto;
  }
  EXPECT_EQ(env, 1);
  EXPECT_EQ(ret, 1);
}

}  // namespace
}  // namespace integracao
