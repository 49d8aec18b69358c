#include "framework/web/dyq_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <vector>

#include "framework/web/http_vyn.h"
#include "testing/fake_http_server.h"

using namespace vyn;
using namespace std::chrono_literals;

namespace {

constexpr const char* kToken = "tok-DYQ-s3cr3t";

class DyqClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::map<std::string, std::string> env{{"INTEGRACAO_DYQ_URL", server.BaseURL()},
                                           {"INTEGRACAO_DYQ_TOKEN", kToken},
                                           {"INTEGRACAO_DYQ_TESTE_URL", teste.BaseURL()},
                                           {"INTEGRACAO_DYQ_TESTE_TOKEN", "tok-teste"}};
    cliente.Ambiente = [env](const std::string& k) -> std::optional<std::string> {
      auto it = env.find(k);
      return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    cliente.Sleeper = [this](std::chrono::milliseconds ms) { esperas.push_back(ms); };
    cliente.OnLog = [this](const THTTPLogEntry& e) { log.push_back(e); };
  }

  TFakeHttpServer server, teste;
  TRetornaMetodoDYQ cliente;
  std::vector<std::chrono::milliseconds> esperas;
  std::vector<THTTPLogEntry> log;
};

TEST_F(DyqClientTest, ReleasedStatementsKeepTheDocumentOrderAndNothingReleasedIsNoDocument) {
  server.On("GET", "/extratos-liberados",
            TFakeResponse::Json(200, R"({"9":{"tipoConta":"Normal"},"2":{"tipoConta":"Caixa"}})"));
  auto doc = cliente.GetExtratosEmpresa(nullptr, 15, 1, false);
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->begin().key(), "9");
  const TFakeRequest r = server.LastRequest();
  EXPECT_EQ(r.Param("empresa"), "15");
  EXPECT_EQ(r.Param("tipoBusca"), "1");
  EXPECT_EQ(r.Header("Authorization"), std::string("Bearer ") + kToken);

  for (const TFakeResponse& nada : {TFakeResponse(204, ""), TFakeResponse::Json(200, "null")}) {
    server.On("GET", "/extratos-liberados", nada);
    EXPECT_FALSE(cliente.GetExtratosEmpresa(nullptr, 15, 1, false)) << nada.Status << nada.Body;
  }
  // The test environment has its own address and token.
  teste.On("GET", "/extratos-liberados", TFakeResponse(204, ""));
  EXPECT_FALSE(cliente.GetExtratosEmpresa(nullptr, 15, 1, true));
  EXPECT_EQ(teste.LastRequest().Header("Authorization"), "Bearer tok-teste");
}

TEST_F(DyqClientTest, RefusedRequestsAndMalformedBodiesAreErrorsNeverAnEmptyAnswer) {
  server.On("GET", "/extratos-liberados", TFakeResponse::Json(500, R"({"message":"fora do ar"})"));
  try {
    cliente.GetExtratosEmpresa(nullptr, 15, 1, false);
    ADD_FAILURE() << "no error";
  } catch (const EDyqError& e) {
    EXPECT_EQ(e.Status(), 500);
    EXPECT_NE(std::string(e.what()).find("fora do ar"), std::string::npos);
  }
  // A wrong address (no such route) must not pass for "nothing released".
  server.On("GET", "/extratos-liberados", TFakeResponse::Json(404, R"({"message":"rota inexistente"})"));
  EXPECT_THROW(cliente.GetExtratosEmpresa(nullptr, 15, 1, false), EDyqError);
  for (const char* corpo : {"", "{\"9\":", "[1,2]", "\"texto\"", "<html>erro</html>"}) {
    server.On("GET", "/extratos-liberados", TFakeResponse::Json(200, corpo));
    EXPECT_THROW(cliente.GetExtratosEmpresa(nullptr, 15, 1, false), EDyqError) << corpo;
  }
  // A body cut off in transit is a transport failure, not a short document.
  server.On("GET", "/extratos-liberados",
            TFakeResponse(200, R"({"9":{"tipoConta":"Normal","conta":"123 BANCO"}})", "application/json", {}, 0ms,
                          true));
  EXPECT_THROW(cliente.GetExtratosEmpresa(nullptr, 15, 1, false), EHTTPError);

  for (const char* corpo : {"{}", R"({"lancamentos":{}})", "[]", "não é json"}) {
    server.On("GET", "/extratos/7/lancamentos", TFakeResponse::Json(200, corpo));
    EXPECT_THROW(cliente.GetLancamentosExtrato(7, false, false), EDyqError) << corpo;
  }
  server.On("GET", "/extratos/7/lancamentos", TFakeResponse::Json(200, R"({"lancamentos":[]})"));
  EXPECT_TRUE(cliente.GetLancamentosExtrato(7, false, true).empty());
  EXPECT_EQ(server.LastRequest().Param("caixa"), "true");

  server.On("GET", "/extratos/7/pdf", TFakeResponse(200, "<html>login</html>", "text/html"));
  EXPECT_THROW(cliente.GetExtratoPDF(7, false), EDyqError);
  server.On("POST", "/retornos", TFakeResponse::Json(400, R"({"message":"extrato já recusado"})"));
  EXPECT_THROW(cliente.AlterarStatusRetornoLancamentosDYQ(nullptr, 3, {{"extratoId", 7}}, false, false), EDyqError);
}

// A statement's receipts: listed, then fetched one by one; none is an empty list, and a list that is
// not the protocol's, or longer than the bound, is an error rather than fewer receipts.
TEST_F(DyqClientTest, ReceiptsAreListedWithinTheBoundAndEachFetchedAsAPdf) {
  server.On("GET", "/extratos/7/comprovantes",
            TFakeResponse::Json(200, R"({"comprovantes":[{"id":3,"nome":"a.pdf"},{"id":4}]})"));
  server.On("GET", "/extratos/7/comprovantes/3", TFakeResponse(200, "%PDF-1.4 a", "application/pdf"));
  server.On("GET", "/extratos/7/comprovantes/4", TFakeResponse(200, "<html>", "text/html"));
  const auto lista = cliente.GetComprovantesExtrato(7, false);
  ASSERT_EQ(lista.size(), 2u);
  EXPECT_EQ(lista[0].Id, 3);
  EXPECT_EQ(lista[0].Nome, "a.pdf");
  EXPECT_EQ(lista[1].Nome, "");
  EXPECT_EQ(cliente.GetComprovantePDF(7, 3, false), "%PDF-1.4 a");
  EXPECT_THROW(cliente.GetComprovantePDF(7, 4, false), EDyqError);

  for (const char* nada : {"null", R"({"comprovantes":[]})"}) {
    server.On("GET", "/extratos/7/comprovantes", TFakeResponse::Json(200, nada));
    EXPECT_TRUE(cliente.GetComprovantesExtrato(7, false).empty()) << nada;
  }
  server.On("GET", "/extratos/7/comprovantes", TFakeResponse(204, ""));
  EXPECT_TRUE(cliente.GetComprovantesExtrato(7, false).empty());
  for (const char* errado : {R"({"recibos":[]})", R"({"comprovantes":[{"nome":"sem id"}]})", "[1"}) {
    server.On("GET", "/extratos/7/comprovantes", TFakeResponse::Json(200, errado));
    EXPECT_THROW(cliente.GetComprovantesExtrato(7, false), EDyqError) << errado;
  }
  std::string muitos = R"({"comprovantes":[)";
  for (size_t i = 0; i <= kMaxComprovantesDyq; ++i) muitos += (i ? "," : "") + std::string(R"({"id":1})");
  server.On("GET", "/extratos/7/comprovantes", TFakeResponse::Json(200, muitos + "]}"));
  EXPECT_THROW(cliente.GetComprovantesExtrato(7, false), EDyqError);
}

TEST_F(DyqClientTest, AStatementsRulesComeAsDyqGaveThemWithinTheBoundAndTheStoredOnesAreToldBack) {
  server.On("GET", "/extratos/501/preparacoes",
            TFakeResponse::Json(200, R"({"preparacoes":[{"id":77,"texto":"TARIFA","contrapartida":40}]})"));
  const nlohmann::json regras = cliente.GetPreparacoesExtrato(501, false);
  ASSERT_EQ(regras.size(), 1u);
  EXPECT_EQ(regras[0]["texto"], "TARIFA");
  // Nothing to bring, said in any of the protocol's ways (a 404 too: the statement has no rules).
  for (const TFakeResponse& nada : {TFakeResponse(204, ""), TFakeResponse(404, ""), TFakeResponse::Json(200, "null")}) {
    server.On("GET", "/extratos/501/preparacoes", nada);
    EXPECT_TRUE(cliente.GetPreparacoesExtrato(501, false).empty()) << nada.Status;
  }
  for (const TFakeResponse& ruim : {TFakeResponse(500, ""), TFakeResponse::Json(200, R"({"outra":[]})"),
                                    TFakeResponse::Json(200, "{")}) {
    server.On("GET", "/extratos/501/preparacoes", ruim);
    EXPECT_THROW(cliente.GetPreparacoesExtrato(501, false), EDyqError) << ruim.Status << ruim.Body;
  }
  nlohmann::json muitas = {{"preparacoes", nlohmann::json::array()}};
  for (size_t i = 0; i <= kMaxPreparacoesDyq; ++i) muitas["preparacoes"].push_back({{"id", i + 1}});
  server.On("GET", "/extratos/501/preparacoes", TFakeResponse::Json(200, muitas.dump()));
  EXPECT_THROW(cliente.GetPreparacoesExtrato(501, false), EDyqError);

  server.On("POST", "/preparacoes/importadas", TFakeResponse(200, "{}"));
  cliente.InformaPreparacoesImportadas(501, {77, 79}, "ana.souza", false);
  EXPECT_EQ(nlohmann::json::parse(server.LastRequest().Body),
            nlohmann::json::parse(R"({"extratoId":501,"aDado":[{"preparacaoId":77,"importadaPor":"ana.souza"},
                                      {"preparacaoId":79,"importadaPor":"ana.souza"}]})"));
  server.On("POST", "/preparacoes/importadas", TFakeResponse(500, ""));
  EXPECT_THROW(cliente.InformaPreparacoesImportadas(501, {77}, "ana.souza", false), EDyqError);
}

TEST_F(DyqClientTest, ThrottlingIsWaitedOutThroughTheSleeperAndBounded) {
  server.OnSequence("POST", "/retornos", {TFakeResponse::Throttle("3"), TFakeResponse(503, ""),
                                          TFakeResponse::Json(200, "{}")});
  cliente.AlterarStatusRetornoLancamentosDYQ(nullptr, 3, {{"extratoId", 7}}, false, true);
  EXPECT_EQ(esperas, (std::vector<std::chrono::milliseconds>{3000ms, 1000ms}));
  EXPECT_EQ(nlohmann::json::parse(server.LastRequest().Body),
            nlohmann::json::parse(R"({"tipoRetorno":3,"caixa":true,"documento":{"extratoId":7}})"));

  // Throttled to the end: the last answer is the error, after the policy's attempts.
  esperas.clear();
  server.On("GET", "/extratos-liberados", TFakeResponse::Throttle("1"));
  const size_t antes = server.RequestCount();
  try {
    cliente.GetExtratosEmpresa(nullptr, 15, 1, false);
    ADD_FAILURE() << "no error";
  } catch (const EDyqError& e) {
    EXPECT_EQ(e.Status(), 429);
  }
  EXPECT_EQ(server.RequestCount() - antes, 3u);
  EXPECT_EQ(esperas.size(), 2u);
}

TEST_F(DyqClientTest, TheTokenReachesNoLogAndNoErrorText) {
  // A service that echoes the request back in its error message.
  server.On("GET", "/extratos-liberados", [](const TFakeRequest& r) {
    return TFakeResponse::Json(401, R"({"message":"token inválido: )" + r.Header("Authorization") + "\"}");
  });
  std::string erro;
  try {
    cliente.GetExtratosEmpresa(nullptr, 15, 1, false);
  } catch (const EDyqError& e) {
    erro = e.what();
  }
  EXPECT_NE(erro.find("token inválido"), std::string::npos);
  EXPECT_EQ(erro.find(kToken), std::string::npos) << erro;

  server.On("POST", "/retornos", TFakeResponse::Json(200, "{}"));
  cliente.AlterarStatusRetornoLancamentosDYQ(nullptr, 3, {{"extratoId", 7}}, false, false);
  ASSERT_EQ(log.size(), 2u);
  for (const THTTPLogEntry& e : log) {
    std::string tudo = e.URL + e.RequestBody + e.ResponseBody + e.Error;
    for (const auto& [n, v] : e.RequestHeaders) tudo += n + v;
    EXPECT_EQ(tudo.find(kToken), std::string::npos) << tudo;
  }
  EXPECT_EQ(log[1].Method, "POST");
  EXPECT_EQ(log[1].Status, 200);
}

}  // namespace
