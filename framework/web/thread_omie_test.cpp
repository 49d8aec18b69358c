#include "framework/web/thread_omie.h"

#include <gtest/gtest.h>

#include <thread>

#include "framework/data/fb_database.h"
#include "framework/web/service_config.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

using namespace vyn;

namespace {

std::string Busca(const std::string& url) {
  TThreadOmie t;
  t.URLBase = url;
  t.CodEmpresa = 1;
  t.AppKey = "chave-123";
  t.AppSecret = "segredo-456";
  t.Start();
  // The fetch bounds itself; the test only waits for it to say so.
  while (!t.Finished()) std::this_thread::yield();
  return t.Resposta();
}

}  // namespace

TEST(ThreadOmie, SilentServiceEndsTheFetchWithATimeOutAnswerFromTheConfiguredLimit) {
  TTestCompanyDatabase company;
  TFakeHttpServer server(std::chrono::seconds(20));
  server.On("POST", "/api/v1/omie/lancamentos",
            TFakeResponse(200, "0 L,1", "text/plain", {}, std::chrono::seconds(60)));

  company.Db().Execute(
      "INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('INTEGRACAO_OMIELANCAMENTOS_TIMEOUT_MS', '150')");
  const std::string r = Busca(server.BaseURL());
  EXPECT_EQ(StatusRespostaOmie(r), 1);
  EXPECT_NE(r.find("Tempo esgotado aguardando o serviço de lançamentos Omie"), std::string::npos) << r;
  EXPECT_NE(r.find("INTEGRACAO_OMIELANCAMENTOS_TIMEOUT_MS"), std::string::npos) << r;
  EXPECT_EQ(r.find("segredo-456"), std::string::npos) << r;
  EXPECT_EQ(server.RequestCount(), 1u);

  // A limit that is not a positive number of milliseconds is refused before anything is sent.
  for (const char* ruim : {"0", "-5", "dez", "99999999999"}) {
    company.Db().Execute("UPDATE TPARAMETRO SET BDVALORSTR = ? WHERE BDPARAM = 'INTEGRACAO_OMIELANCAMENTOS_TIMEOUT_MS'",
                         {Variant(std::string(ruim))});
    TThreadOmie t;
    t.URLBase = server.BaseURL();
    EXPECT_THROW(t.Start(), EServiceConfigError) << ruim;
  }
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(ThreadOmie, UnsetLimitFallsBackToTheDefaultAndAPromptAnswerPassesThrough) {
  TServiceConfig semBanco("OmieLancamentos", nullptr, [](const std::string&) { return std::nullopt; });
  EXPECT_EQ(semBanco.Milliseconds("TIMEOUT_MS", kTempoLimiteOmiePadrao), kTempoLimiteOmiePadrao);
  static_assert(kTempoLimiteOmiePadrao > 0);

  TFakeHttpServer server;
  server.On("POST", "/api/v1/omie/lancamentos", TFakeResponse(200, "0 L,1", "text/plain"));
  EXPECT_EQ(Busca(server.BaseURL()), "0 L,1");
}
