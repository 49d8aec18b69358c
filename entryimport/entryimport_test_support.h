#pragma once
// Test support of the entry-file feeders: a program folder per test, the Dyq entry-file service's
// configuration pointed at a loopback fake, and a company set up for Dyq.
#include <memory>
#include <string>

#include "framework/data/fb_database.h"
#include "framework/schema/seed.h"
#include "testing/fake_http_server.h"
#include "testing/program_folder.h"

namespace integracao {

// A program folder per test, named after the feeders.
class TPastaProgramaFeeders : public vyn::TPastaProgramaTemp {
 public:
  TPastaProgramaFeeders() : vyn::TPastaProgramaTemp("feeders_prog") {}
};

inline constexpr const char* kTokenDyqTeste = "tok-Dyq-9f8e7d";

// Head office 1 (web code 77, on Dyq) and branch 2 (not on Dyq); the service at baseURL.
inline void SemeiaDyq(vyn::TDatabase& db, const std::string& baseURL) {
  vyn::seed::AddStandardCompany(db, 202401);
  db.Execute("update TEMPRESAS set BDDYQ = 'TRUE', BDCODWEB = 77 where BDCODEMP = 1");
  db.Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_LANCAMENTOS_URL', ?)", {baseURL});
  db.Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_LANCAMENTOS_TOKEN', ?)",
             {std::string(kTokenDyqTeste)});
}

// The service lists one January file, "A", whose download answers corpo. Served as bytes: the loopback
// server would compress a text body, and that is not the road's time; and served as it is held, a piece
// at a time, so that a large file's copies in the server are not counted as the road's memory.
inline void ServeArquivoDyq(vyn::TFakeHttpServer& server, std::string corpo) {
  const std::string lista = "/api/v1/lancamentos-contabeis/";
  server.On("GET", lista,
            vyn::TFakeResponse(200, R"({"lancamentos_contabeis":[{"id":"1","nome":"A","data_inicial":)"
                                    R"("2024-01-01T00:00:00Z","data_final":"2024-01-31T00:00:00Z"}]})"));
  server.On("GET", lista + "busca", [&server](const vyn::TFakeRequest&) {
    return vyn::TFakeResponse(200, R"({"link":")" + server.BaseURL() +
                                       R"(/f/1","data_inicial":"2024-01-01T00:00:00Z","data_final":"2024-01-31T00:00:00Z","nome":"A"})");
  });
  vyn::TFakeResponse arquivo(200, {}, "application/octet-stream");
  arquivo.SharedBody = std::make_shared<const std::string>(std::move(corpo));
  server.On("GET", "/f/1", std::move(arquivo));
}

}  // namespace integracao
