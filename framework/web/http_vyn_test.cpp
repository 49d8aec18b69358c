#include "framework/web/http_vyn.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "framework/web/http_retry.h"
#include "framework/web/secret_mask.h"
#include "testing/fake_http_server.h"

using namespace vyn;
using namespace std::chrono_literals;

namespace {

class HTTPVYNTest : public ::testing::Test {
 protected:
  TFakeHttpServer server;
  TComponent owner;
  THTTPVYN* http = owner.Create<THTTPVYN>(true);
  void SetUp() override { http->SetBaseURL(server.BaseURL()); }
};

}  // namespace

TEST_F(HTTPVYNTest, HeadersAreClearedPerRequestAndTheDownloadCarriesNoAuthorization) {
  server.On("GET", "/api/v1/busca", TFakeResponse::Json(200, R"({"link":"x"})"));
  server.On("GET", "/files/f1.txt", TFakeResponse{200, "conteúdo", "text/plain"});

  http->Request.CustomHeaders.Clear();
  http->Request.CustomHeaders.AddValue("Authorization", "Bearer tok-123");
  EXPECT_EQ(http->Get("/api/v1/busca?lancamento_id=7"), R"({"link":"x"})");
  http->Request.CustomHeaders.Clear();
  EXPECT_EQ(http->Get(server.BaseURL() + "/files/f1.txt"), "conteúdo");

  const auto reqs = server.Requests();
  ASSERT_EQ(reqs.size(), 2u);
  EXPECT_EQ(reqs[0].Header("Authorization"), "Bearer tok-123");
  EXPECT_EQ(reqs[0].Param("lancamento_id"), "7");
  EXPECT_FALSE(reqs[1].HasHeader("Authorization"));
  EXPECT_EQ(http->ResponseCode(), 200);
}

TEST_F(HTTPVYNTest, AnErrorStatusIsAnAnswerWithItsBodyAndCode) {
  server.On("GET", "/busca", TFakeResponse::Json(404, R"({"message":"Não achado","error":"id"})"));
  server.On("POST", "/html", TFakeResponse{500, "<html>erro</html>", "text/html"});
  server.On("PUT", "/created", TFakeResponse::Json(201, "{}"));

  EXPECT_EQ(http->Get("/busca"), R"({"message":"Não achado","error":"id"})");
  EXPECT_EQ(http->ResponseCode(), 404);
  EXPECT_EQ(http->Post("/html", "{}"), "<html>erro</html>");
  EXPECT_EQ(http->ResponseCode(), 500);
  EXPECT_EQ(http->Put("/created", "{}"), "{}");
  EXPECT_EQ(http->ResponseCode(), 201);

  // A download to a stream: the body, whatever the status, goes there and not into the answer text;
  // a stream that refuses the bytes ends the transfer as a failure, not as an answer.
  std::ostringstream erro;
  http->Get("/busca", erro);
  EXPECT_EQ(erro.str(), R"({"message":"Não achado","error":"id"})");
  EXPECT_EQ(http->ResponseCode(), 404);
  EXPECT_EQ(http->ResponseText(), "");
  std::ostringstream recusa;
  recusa.setstate(std::ios::badbit);
  EXPECT_THROW(http->Get("/busca", recusa), EHTTPError);
}

TEST_F(HTTPVYNTest, BodiesAndContentTypeArriveAsSentAndUtf8RoundTrips) {
  server.On("PUT", "/integracao", TFakeResponse::Json(200, "{}"));
  server.On("POST", "/echo", [](const TFakeRequest& r) { return TFakeResponse::Json(200, r.Body); });

  http->Request.CustomHeaders.AddValue("Content-Type", "application/json");
  http->Put("/integracao", R"({"lancamento_id":42})");
  TFakeRequest put = server.LastRequest();
  EXPECT_EQ(put.Method, "PUT");
  EXPECT_EQ(put.Body, R"({"lancamento_id":42})");
  EXPECT_EQ(put.Header("Content-Type"), "application/json");

  // The content type as a request property (no charset added), a large UTF-8 body echoed back
  // (large enough for the server to compress it).
  http->Request.CustomHeaders.Clear();
  http->Request.ContentType = "application/json";
  std::string text = "{\"t\":\"";
  for (int i = 0; i < 2000; ++i) text += "Ação nº ✓ 日本 ";
  text += "\"}";
  EXPECT_EQ(http->Post("/echo", text), text);
  EXPECT_EQ(server.LastRequest().Header("Content-Type"), "application/json");
  EXPECT_EQ(server.LastRequest().Body, text);
}

TEST_F(HTTPVYNTest, GetFollowsRedirects) {
  server.On("GET", "/old", TFakeResponse{302, "", "text/plain", {{"Location", "/new"}}});
  server.On("GET", "/new", TFakeResponse::Json(200, "novo"));
  EXPECT_EQ(http->Get("/old"), "novo");
  EXPECT_EQ(http->ResponseCode(), 200);
}

TEST_F(HTTPVYNTest, TransportFailuresThrowNamingTheAddressButNoSecret) {
  // Nothing listening.
  const std::string closed = "http://127.0.0.1:" + std::to_string(TFakeHttpServer::ClosedPort());
  try {
    http->Get(closed + "/api/lista?token=segredo-na-url");
    FAIL() << "no exception";
  } catch (const EHTTPError& e) {
    EXPECT_EQ(e.Failure(), THTTPFailure::Connect);
    EXPECT_EQ(e.URL(), closed + "/api/lista?...");
    EXPECT_NE(std::string(e.what()).find(closed + "/api/lista"), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()).find("segredo"), std::string::npos) << e.what();
  }
  EXPECT_EQ(http->ResponseCode(), 0);

  // A server that goes silent beyond the read time-out.
  server.On("GET", "/lento", TFakeResponse{200, "tarde", "text/plain", {}, 10s});
  http->ReadTimeout = 300;
  const auto start = std::chrono::steady_clock::now();
  try {
    http->Get("/lento");
    FAIL() << "no exception";
  } catch (const EHTTPError& e) {
    EXPECT_EQ(e.Failure(), THTTPFailure::ReadTimeout);
    EXPECT_NE(std::string(e.what()).find("/lento"), std::string::npos);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);

  // An answer cut off before its announced length.
  server.On("GET", "/cortado", TFakeResponse{200, std::string(4000, 'x'), "text/plain", {}, 0ms, true});
  EXPECT_THROW(http->Get("/cortado"), EHTTPError);

  // A server stopped while it delays its answer breaks the transfer instead of answering empty.
  {
    TFakeHttpServer parando;
    parando.On("GET", "/lento", TFakeResponse{200, "tarde", "text/plain", {}, 30s});
    std::thread parada([&] {
      std::this_thread::sleep_for(200ms);
      parando.Stop();
    });
    http->ReadTimeout = 0;
    EXPECT_THROW(http->Get(parando.BaseURL() + "/lento"), EHTTPError);
    parada.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  }

  // TLS spoken to a server that does not speak it.
  try {
    http->Get("https://127.0.0.1:" + std::to_string(server.Port()) + "/x");
    FAIL() << "no exception";
  } catch (const EHTTPError& e) {
    EXPECT_EQ(e.Failure(), THTTPFailure::TLS) << e.what();
  }
}

TEST_F(HTTPVYNTest, ThrottledAnswersAreRetriedWithTheServersWaitAndBounded) {
  server.OnSequence("POST", "/api", {TFakeResponse::Throttle("7"), TFakeResponse::Throttle(""),
                                     TFakeResponse::Json(200, R"({"ok":1})")});
  std::vector<std::chrono::milliseconds> waits;
  const TSleeper sleeper = [&](std::chrono::milliseconds w) { waits.push_back(w); };
  TRetryPolicy policy;
  policy.DefaultWait = 1500ms;
  TRetryOutcome out = RetryThrottled(*http, [&] { return http->Post("/api", "{}"); }, policy, sleeper);
  EXPECT_EQ(out.Status, 200);
  EXPECT_EQ(out.Body, R"({"ok":1})");
  EXPECT_EQ(out.Attempts, 3);
  EXPECT_EQ(waits, (std::vector<std::chrono::milliseconds>{7000ms, 1500ms}));

  // Always throttled: three attempts, two waits, the last answer returned. A Retry-After beyond the
  // cap waits the cap.
  waits.clear();
  server.On("POST", "/sempre", TFakeResponse::Throttle("86400", "tente mais tarde"));
  policy.MaxWait = 60s;
  out = RetryThrottled(*http, [&] { return http->Post("/sempre", "{}"); }, policy, sleeper);
  EXPECT_EQ(out.Status, 429);
  EXPECT_EQ(out.Body, "tente mais tarde");
  EXPECT_EQ(out.Attempts, 3);
  EXPECT_EQ(waits, (std::vector<std::chrono::milliseconds>{60s, 60s}));

  // The caller's own test of a throttling answer; any other error is returned at once.
  waits.clear();
  const size_t before = server.RequestCount();
  server.On("POST", "/erro", TFakeResponse::Json(500, "outro erro"));
  policy.IsThrottled = [](int, const std::string& body) { return body.find("INSTANTES") != std::string::npos; };
  out = RetryThrottled(*http, [&] { return http->Post("/erro", "{}"); }, policy, sleeper);
  EXPECT_EQ(out.Attempts, 1);
  EXPECT_EQ(server.RequestCount(), before + 1);
  EXPECT_TRUE(waits.empty());
}

TEST(HTTPRetry, RetryAfterAcceptsSecondsAndHttpDates) {
  const auto now = std::chrono::system_clock::from_time_t(784111777);   // Sun, 06 Nov 1994 08:49:37 GMT
  EXPECT_EQ(ParseRetryAfter("120", now), std::chrono::milliseconds(120000));
  EXPECT_EQ(ParseRetryAfter("Sun, 06 Nov 1994 08:49:47 GMT", now), std::chrono::milliseconds(10000));
  EXPECT_EQ(ParseRetryAfter("Sun, 06 Nov 1994 08:00:00 GMT", now), std::chrono::milliseconds(0));
  EXPECT_FALSE(ParseRetryAfter("", now));
  EXPECT_FALSE(ParseRetryAfter("logo", now));
}

TEST_F(HTTPVYNTest, SecretsNeverReachTheLog) {
  // A peer that echoes everything it was sent: the bearer token, the body's secrets, the query's token.
  server.On("POST", "/geral/", [](const TFakeRequest& r) {
    return TFakeResponse::Json(200, R"({"access_token":"resp-tok-999","eco":")" + r.Header("Authorization") +
                                        "\",\"corpo\":" + nlohmann::json(r.Body).dump() + ",\"alvo\":\"" + r.Query + "\"}");
  });
  std::vector<THTTPLogEntry> log;
  http->OnLog = [&](const THTTPLogEntry& e) { log.push_back(e); };
  http->Request.CustomHeaders.AddValue("Authorization", "Bearer tok-SECRET-123");
  http->Request.ContentType = "application/json";
  const std::string body = R"({"call":"ListarX","app_key":"k1","app_secret":"s3cr3t-value","param":[{"pagina":1}]})";
  http->Post("/geral/?api_token=qs-secret-42&x=1", body);
  try {
    http->Get("http://127.0.0.1:" + std::to_string(TFakeHttpServer::ClosedPort()) + "/x?app_secret=s3cr3t-value");
  } catch (const EHTTPError&) {
  }

  ASSERT_EQ(log.size(), 2u);
  for (const auto& e : log) {
    std::string all = e.Method + e.URL + e.RequestBody + e.ResponseBody + e.Error;
    for (const auto& [n, v] : e.RequestHeaders) all += n + v;
    for (const char* secret : {"tok-SECRET-123", "s3cr3t-value", "qs-secret-42", "resp-tok-999"}) {
      EXPECT_EQ(all.find(secret), std::string::npos) << secret << " in " << all;
    }
  }
  EXPECT_EQ(log[0].Status, 200);
  EXPECT_EQ(log[0].URL, server.BaseURL() + "/geral/?api_token=***&x=1");
  EXPECT_EQ(log[0].RequestBody, R"({"call":"ListarX","app_key":"***","app_secret":"***","param":[{"pagina":1}]})");
  EXPECT_EQ(log[0].RequestHeaders.back(), (std::pair<std::string, std::string>{"Authorization", "Bearer ***"}));
  EXPECT_FALSE(log[1].Error.empty());
  // The request itself went out whole.
  EXPECT_EQ(server.LastRequest().Body, body);
}

TEST(SecretMask, MasksOnlySecretValuesAndKeepsTheTextOtherwise) {
  EXPECT_EQ(MaskSecrets("{ \"senha\" : \"a\\\"b\", \"n\": 1, \"token\": 12345 }"),
            "{ \"senha\" : \"***\", \"n\": 1, \"token\": *** }");
  EXPECT_EQ(MaskSecrets(R"({"tokens":["abc-SECRET", {"x":"]"}],"n":[1],"credentials":{"a":{"b":"c"}}})"),
            R"({"tokens":***,"n":[1],"credentials":***})");
  EXPECT_EQ(MaskSecrets(R"({"app_key":"K1","app_secret":"S1","call":"ListarClientes"})"),
            R"({"app_key":"***","app_secret":"***","call":"ListarClientes"})");
  EXPECT_EQ(MaskSecrets(R"({"token":["open)"), R"({"token":***)");
  EXPECT_EQ(MaskSecrets("client_id=7&client_secret=xyz&grant_type=password"),
            "client_id=7&client_secret=***&grant_type=password");
  EXPECT_EQ(MaskSecrets("falhou com chave abcd1234 no meio", {"abcd1234"}), "falhou com chave *** no meio");
  // Echoed secrets, in whatever form the peer wrote them back.
  const std::string token = "eyJ/a+b=c";
  EXPECT_EQ(MaskSecrets(R"({"erro":"token eyJ\/a+b=c expirado"})", {token}), R"({"erro":"token *** expirado"})");
  EXPECT_EQ(MaskSecrets("<p>GET /x?t=eyJ%2Fa%2Bb%3Dc</p>", {token}), "<p>GET /x?t=***</p>");
  EXPECT_EQ(MaskSecrets("<pre>Authorization: Bearer unknown.tok-99</pre> Bearer ***, bearer ab"),
            "<pre>Authorization: Bearer ***</pre> Bearer ***, bearer ab");
  EXPECT_EQ(SecretValuesOf(R"({"call":"X","app_key":"K1","param":[{"senha":7,"n":"a"}]})"),
            (std::vector<std::string>{"K1", "7"}));
  EXPECT_EQ(SecretValuesOf("grant_type=x&client_secret=abc"), std::vector<std::string>{"abc"});
  EXPECT_EQ(SafeURL("https://user:pw@host:8443/a/b?token=1#frag"), "https://host:8443/a/b?...");
  EXPECT_EQ(MaskHeaderValue("X-Api-Key", "k"), "***");
  EXPECT_EQ(MaskHeaderValue("Content-Type", "application/json"), "application/json");
}
