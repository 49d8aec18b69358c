#include "integrations/omie/uIntegracaoOmie.Base.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/web/http_vyn.h"
#include "integrations/omie/uIntegracaoOmie.Clientes.h"
#include "integrations/omie/uIntegracaoOmie.ContasAPagar.h"
#include "integrations/omie/omie_test_support.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;
using namespace std::chrono_literals;

const char* const kPath = "/api/v1/geral/clientes/";
const char* const kThrottle = R"({"faultstring":"Consumo redundante. Pode tentar novamente em alguns instantes."})";

class OmieClientTest : public ::testing::Test {
 protected:
  TIntegracaoOmieClientes_VYN* Cliente(const std::string& secret = "s3cr3t-value") {
    auto* c = owner_.Create<TIntegracaoOmieClientes_VYN>("key-12345", secret);
    c->SetURLBase(server_.BaseURL());
    c->SetSleeper([this](std::chrono::milliseconds w) { waits_.push_back(w); });
    return c;
  }
  TJsonOmie Body(size_t i) const { return TJsonOmie::parse(server_.Requests().at(i).Body); }

  TPastaProgramaTeste programa_;
  TComponent owner_;
  TFakeHttpServer server_;
  std::vector<std::chrono::milliseconds> waits_;
};

TEST_F(OmieClientTest, EnvelopeIsSentInOrderAndTheAnswerIsUnwrapped) {
  server_.On("POST", kPath, TFakeResponse(201, R"({"response":{"codigo_cliente_omie":77}})"));
  auto* c = Cliente();
  int after = 0;
  c->OnAfterPost = [&](TComponent* s) { after += s == c; };
  TJsonOmie p = TJsonOmie::object();
  p["codigo_cliente_integracao"] = "VARKU_IMPOSTO_12";
  TRetornoOmieRegistro r = c->RealizaPostGenerico("ConsultarCliente", p);
  EXPECT_EQ(r.StatusCode, 200);
  EXPECT_EQ(r.Response.at("codigo_cliente_omie"), 77);
  EXPECT_EQ(after, 1);
  const TFakeRequest req = server_.LastRequest();
  EXPECT_EQ(req.Header("Content-Type"), "application/json");
  EXPECT_EQ(req.Body,
            R"({"call":"ConsultarCliente","app_key":"key-12345","app_secret":"s3cr3t-value",)"
            R"("param":[{"codigo_cliente_integracao":"VARKU_IMPOSTO_12"}]})");
  // An empty "response" is no answer of its own.
  server_.On("POST", kPath, TFakeResponse(200, R"({"response":{},"x":1})"));
  EXPECT_EQ(c->RealizaPostGenerico("ConsultarCliente", p).Response.at("x"), 1);
}

TEST_F(OmieClientTest, ErrorAnswersAreReturnedWithTheirBodyAsFaultString) {
  auto* c = Cliente();
  server_.On("POST", kPath, TFakeResponse(500, "  <html><body>Erro interno</body></html>\r\n", "text/html"));
  TRetornoOmieRegistro r = c->RealizaPostGenerico("UpsertCliente", TJsonOmie::object());
  EXPECT_EQ(r.StatusCode, 500);
  EXPECT_EQ(FaultStringOmie(r.Response), "<html><body>Erro interno</body></html>");
  // A refusal that echoes the credentials: its fault text is shown, logged and stored, so they go.
  server_.On("POST", kPath, TFakeResponse(500, R"({"faultstring":"Chave key-12345 ou s3cr3t-value inválida"})"));
  EXPECT_EQ(FaultStringOmie(c->RealizaPostGenerico("UpsertCliente", TJsonOmie::object()).Response),
            "Chave *** ou *** inválida");
  // A 2xx answer that is not JSON (a maintenance page, a cut answer, nothing) is Omie failing.
  server_.On("POST", kPath, TFakeResponse(200, R"({"truncated": )"));
  r = c->RealizaPostGenerico("UpsertCliente", TJsonOmie::object());
  EXPECT_EQ(r.StatusCode, C_OMIE_RESPOSTA_INVALIDA);
  EXPECT_EQ(FaultStringOmie(r.Response), R"(Resposta inválida da Omie: o conteúdo não é JSON ({"truncated":).)");
  server_.On("POST", kPath, TFakeResponse(200, ""));
  EXPECT_EQ(c->RealizaPostGenerico("UpsertCliente", TJsonOmie::object()).StatusCode, C_OMIE_RESPOSTA_INVALIDA);
  server_.On("POST", kPath, TFakeResponse(200, "<html>Manutenção: key-12345</html>", "text/html"));
  r = c->RealizaPostGenerico("UpsertCliente", TJsonOmie::object());
  EXPECT_EQ(r.StatusCode, C_OMIE_RESPOSTA_INVALIDA);
  EXPECT_EQ(FaultStringOmie(r.Response), "Resposta inválida da Omie: o conteúdo não é JSON (<html>Manutenção: ***</html>).");
  EXPECT_EQ(server_.RequestCount(), 5u);
  EXPECT_TRUE(waits_.empty());
}

TEST_F(OmieClientTest, OnlyThrottlingIsRetriedThreeTimesWithWaitsBetween) {
  auto* c = Cliente();
  server_.On("POST", kPath, TFakeResponse(500, kThrottle));
  EXPECT_EQ(c->RealizaPostGenerico("UpsertCliente", TJsonOmie::object()).StatusCode, 500);
  EXPECT_EQ(server_.RequestCount(), 3u);
  ASSERT_EQ(waits_.size(), 2u);
  EXPECT_EQ(waits_[0], 30500ms);

  TFakeHttpServer again;
  c->SetURLBase(again.BaseURL());
  waits_.clear();
  again.OnSequence("POST", kPath, {TFakeResponse(429, kThrottle), TFakeResponse(200, R"({"ok":true})")});
  EXPECT_EQ(c->RealizaPostGenerico("UpsertCliente", TJsonOmie::object()).StatusCode, 200);
  EXPECT_EQ(again.RequestCount(), 2u);
  EXPECT_EQ(waits_.size(), 1u);

  again.On("POST", kPath, TFakeResponse(403, R"({"faultstring":"Chave inválida"})"));
  waits_.clear();
  TRetornoOmieRegistro r = c->RealizaPostGenerico("UpsertCliente", TJsonOmie::object());
  EXPECT_EQ(r.StatusCode, 403);
  EXPECT_EQ(FaultStringOmie(r.Response), "Chave inválida");
  EXPECT_EQ(again.RequestCount(), 3u);
  EXPECT_TRUE(waits_.empty());

  c->SetURLBase("http://127.0.0.1:" + std::to_string(TFakeHttpServer::ClosedPort()));
  EXPECT_THROW(c->RealizaPostGenerico("UpsertCliente", TJsonOmie::object()), EHTTPError);
}

TEST_F(OmieClientTest, RequestCopiesAreOnePerCallAndHoldNoCredentials) {
  const auto dir = std::filesystem::temp_directory_path() / ("omie_copia_" + std::to_string(::getpid())) / "a" / "Envio";
  std::filesystem::remove_all(dir.parent_path().parent_path());
  server_.On("POST", kPath, TFakeResponse(500, kThrottle));
  auto* c = Cliente();
  c->SetCaminhoSalvarRequisicao(dir.string());
  c->RealizaPostGenerico("ListarDocumentos", TJsonOmie::object());
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(dir)) files.push_back(e.path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename().string().rfind("ListarDocumentos_", 0), 0u);
  std::stringstream text;
  text << std::ifstream(files[0]).rdbuf();
  EXPECT_EQ(text.str().find("s3cr3t-value"), std::string::npos);
  EXPECT_EQ(text.str().find("key-12345"), std::string::npos);
  EXPECT_NE(text.str().find("\"call\":\"ListarDocumentos\""), std::string::npos);
  std::filesystem::remove_all(dir.parent_path().parent_path());
}

TEST_F(OmieClientTest, PagedQueriesWalkEveryPageAndSurfaceAFailedOne) {
  std::vector<TFakeResponse> pages;
  for (int p = 1; p <= 3; ++p) {
    TJsonOmie a = {{"total_de_paginas", 3}, {"conta_pagar_cadastro", TJsonOmie::array()}};
    a["conta_pagar_cadastro"].push_back({{"codigo_lancamento_integracao", "P" + std::to_string(p)},
                                         {"valor_documento", "10.50"}});
    pages.emplace_back(200, a.dump());
  }
  server_.OnSequence("POST", "/api/v1/financas/contapagar/", pages);
  auto* c = owner_.Create<TIntegracaoOmieContasAPagar_VYN>("k", "s");
  c->SetURLBase(server_.BaseURL());
  auto* r = c->GetPagosDaReferencia(EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), 42, false);
  ASSERT_EQ(r->ObjetoRetorno.size(), 3u);
  EXPECT_EQ(r->ObjetoRetorno[2]->CodigoIntegracao, "P3");
  EXPECT_EQ(r->ObjetoRetorno[0]->ValorDocumento, Currency::FromRaw(105000));
  EXPECT_EQ(r->RetornoOmie.StatusCode, 200);
  ASSERT_EQ(server_.RequestCount(), 3u);
  for (int i = 0; i < 3; ++i) {
    const TJsonOmie p = Body(static_cast<size_t>(i)).at("param").at(0);
    EXPECT_EQ(p.at("pagina"), i + 1);
    EXPECT_EQ(p.at("registros_por_pagina"), 100);
    EXPECT_EQ(p.at("filtrar_cliente"), 42);   // a number, not a text
    EXPECT_FALSE(p.contains("apenas_importado_api"));
    EXPECT_EQ(p.at("filtrar_por_data_de"), "01/03/2024");
  }

  TFakeHttpServer broken;
  pages[1] = TFakeResponse(500, "<html>falha</html>", "text/html");
  broken.OnSequence("POST", "/api/v1/financas/contapagar/", pages);
  c->SetURLBase(broken.BaseURL());
  r = c->GetPagosDaReferencia(EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), 42, true);
  EXPECT_EQ(r->ObjetoRetorno.size(), 1u);
  EXPECT_EQ(r->RetornoOmie.StatusCode, 500);   // the list is incomplete: never reported as a success
  EXPECT_EQ(FaultStringOmie(r->RetornoOmie.Response), "<html>falha</html>");
  EXPECT_EQ(broken.RequestCount(), 2u);        // nothing after the failed page is asked
  EXPECT_EQ(TJsonOmie::parse(broken.LastRequest().Body).at("param").at(0).at("apenas_importado_api"), "S");
}

TEST_F(OmieClientTest, PagedQueriesTrustTheTotalOnlyWithinBoundsAndNeedTheirList) {
  const std::string caminho = "/api/v1/financas/contapagar/";
  auto* c = owner_.Create<TIntegracaoOmieContasAPagar_VYN>("k", "s");
  const auto consulta = [&](const std::vector<TFakeResponse>& pages, size_t pedidos) {
    TFakeHttpServer peer;
    peer.OnSequence("POST", caminho, pages);
    c->SetURLBase(peer.BaseURL());
    auto* r = c->GetPagosDaReferencia(EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), 42, false);
    EXPECT_EQ(peer.RequestCount(), pedidos);
    return r;
  };
  const std::string um = R"({"codigo_lancamento_integracao":"P1","valor_documento":"1.00"})";
  // A page that comes back empty ends the walk, whatever total was answered.
  auto* r = consulta({TFakeResponse(200, R"({"total_de_paginas":50,"conta_pagar_cadastro":[)" + um + "]}"),
                      TFakeResponse(200, R"({"total_de_paginas":50,"conta_pagar_cadastro":[]})")},
                     2);
  EXPECT_EQ(r->RetornoOmie.StatusCode, 200);
  EXPECT_EQ(r->ObjetoRetorno.size(), 1u);
  // A total beyond the bound is no answer to trust.
  r = consulta({TFakeResponse(200, R"({"total_de_paginas":2000000,"conta_pagar_cadastro":[)" + um + "]}")}, 1);
  EXPECT_EQ(r->RetornoOmie.StatusCode, C_OMIE_RESPOSTA_INVALIDA);
  EXPECT_TRUE(r->ObjetoRetorno.empty());
  // A page without its list is not an empty page.
  r = consulta({TFakeResponse(200, R"({"total_de_paginas":1,"status":"manutencao"})")}, 1);
  EXPECT_EQ(r->RetornoOmie.StatusCode, C_OMIE_RESPOSTA_INVALIDA);
  EXPECT_EQ(FaultStringOmie(r->RetornoOmie.Response),
            "Resposta inválida da Omie: a página 1 veio sem a lista \"conta_pagar_cadastro\".");
}

TEST_F(OmieClientTest, BatchesSendOneRecordPerRequestPassRecordsAlreadyThereAndStopAtAnyOtherRefusal) {
  server_.OnSequence("POST", "/api/v1/financas/contapagar/",
                     {TFakeResponse(200, "{}"),
                      TFakeResponse(500, R"({"faultstring":"ERROR: Lançamento JÁ CADASTRADO para o Código de Integração [C2] !"})"),
                      TFakeResponse(200, "{}"), TFakeResponse(400, R"({"faultstring":"Fornecedor inexistente"})"),
                      TFakeResponse(200, "{}")});
  auto* c = owner_.Create<TIntegracaoOmieContasAPagar_VYN>("k", "s");
  c->SetURLBase(server_.BaseURL());
  std::vector<TContasAPagar*> itens;
  for (int i = 1; i <= 5; ++i) {
    auto* p = owner_.Create<TContasAPagar>();
    p->CodigoIntegracao = "C" + std::to_string(i);
    itens.push_back(p);
  }
  std::vector<TSituacaoLoteOmie> situacao;
  TRetornoOmieRegistro r = c->IncluirPorLote(itens, &situacao);
  EXPECT_EQ(r.StatusCode, 400);
  EXPECT_EQ(FaultStringOmie(r.Response), "Fornecedor inexistente");
  EXPECT_EQ(situacao, (std::vector<TSituacaoLoteOmie>{slIncluido, slJaCadastrado, slIncluido, slRecusado}));
  ASSERT_EQ(server_.RequestCount(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    const TJsonOmie p = Body(i).at("param").at(0);
    EXPECT_EQ(p.at("lote"), "1000");
    ASSERT_EQ(p.at("conta_pagar_cadastro").size(), 1u);
    EXPECT_EQ(p.at("conta_pagar_cadastro").at(0).at("codigo_lancamento_integracao"), "C" + std::to_string(i + 1));
  }
}

}  // namespace
}  // namespace integracao
