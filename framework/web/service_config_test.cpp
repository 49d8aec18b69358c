#include "framework/web/service_config.h"

#include <gtest/gtest.h>

#include <map>

#include "testing/company_db.h"

using namespace vyn;

TEST(ServiceConfig, EnvironmentFirstThenParameterTableElseAClearError) {
  TTestCompanyDatabase company;
  company.Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('INTEGRACAO_DYQ_URL', 'https://banco')");
  company.Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('INTEGRACAO_DYQ_TOKEN', 'tok-banco')");
  company.Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORINT) VALUES ('INTEGRACAO_DYQ_PORTA', 8443)");
  std::map<std::string, std::string> env{{"INTEGRACAO_DYQ_TOKEN", "tok-ambiente"}, {"INTEGRACAO_DYQ_URL", "  "}};
  const auto reader = [&](const std::string& n) -> std::optional<std::string> {
    auto it = env.find(n);
    return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
  };

  TServiceConfig dyq("Dyq", &company.Db(), reader);
  EXPECT_EQ(dyq.Token(), "tok-ambiente");
  EXPECT_EQ(dyq.BaseURL(), "https://banco");   // a blank variable does not hide the parameter
  EXPECT_EQ(dyq.Value("porta"), "8443");
  EXPECT_FALSE(dyq.Value("SENHA"));

  TServiceConfig nibo("Nibo", nullptr, reader);
  try {
    nibo.BaseURL();
    FAIL() << "no exception";
  } catch (const EServiceConfigError& e) {
    EXPECT_NE(std::string(e.what()).find("INTEGRACAO_NIBO_URL"), std::string::npos) << e.what();
  }
}
