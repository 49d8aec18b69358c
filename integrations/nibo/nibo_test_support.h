#pragma once
// Test support of the Nibo folder: company 1 set up for Nibo (id "emp-1", office record 7), the
// service's address pointed at a loopback fake, the entry reviews registered and a program folder
// per test.
#include <string>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "module/registro.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"
#include "testing/program_folder.h"

namespace integracao {

inline constexpr const char* kSegredoNibo = "segredo-Nibo-4411";

inline void SemeiaNibo(vyn::TDatabase& db, const std::string& baseURL) {
  vyn::seed::AddStandardCompany(db, 202401);
  db.Execute("insert into TEMPRESAS_NIBO (BDCODEMP, BDIDEMPRESANIBO, BDCODOAUTH2) values (1, 'emp-1', 7)");
  db.Execute("insert into TOAUTH2 (BDCODOAUTH2, BDCLIENTID, BDCLIENTSECRET) values (7, 'cli-7', ?)",
             {std::string(kSegredoNibo)});
  db.Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_NIBO_URL', ?)", {baseURL});
}

// The company database seeded for Nibo in January 2024, with the fake service and the reviews the
// entry import opens.
class NiboDatabaseTest : public vyn::CompanyDatabaseTest {
 protected:
  void SetUp() override {
    vyn::CompanyDatabaseTest::SetUp();
    SemeiaNibo(Db(), server_.BaseURL());
    vyn::TPublicas::SetReferencia(202401);
    RegistraModulo(vyn::ClassRegistry(), RegistrosRevisaoLancamentos());
  }
  void TearDown() override {
    DesregistraModulo(vyn::ClassRegistry(), RegistrosRevisaoLancamentos());
    vyn::CompanyDatabaseTest::TearDown();
  }

  vyn::TPastaProgramaTemp programa_{"nibo_prog"};
  vyn::TFakeHttpServer server_;
};

}  // namespace integracao
