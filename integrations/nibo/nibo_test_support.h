#pragma once
// Test support of the Nibo folder: company 1 set up for Nibo (id "emp-1", office record 7), the
// service's address pointed at a loopback fake, and a program folder per test.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/schema/seed.h"

namespace integracao {

inline constexpr const char* kSegredoNibo = "segredo-Nibo-4411";

class TPastaProgramaNibo {
 public:
  TPastaProgramaNibo() {
    static std::atomic<int> n{0};
    pasta_ = std::filesystem::temp_directory_path() /
             ("nibo_prog_" + std::to_string(::getpid()) + "_" + std::to_string(n++));
    std::filesystem::remove_all(pasta_);
    std::filesystem::create_directories(pasta_);
    salvo_ = vyn::ProcessContext().ProgramFolder;
    vyn::ProcessContext().ProgramFolder = pasta_.string();
  }
  ~TPastaProgramaNibo() {
    vyn::ProcessContext().ProgramFolder = salvo_;
    std::error_code ec;
    std::filesystem::remove_all(pasta_, ec);
  }
  const std::filesystem::path& Pasta() const { return pasta_; }

 private:
  std::filesystem::path pasta_;
  std::string salvo_;
};

inline void SemeiaNibo(vyn::TDatabase& db, const std::string& baseURL) {
  vyn::seed::AddStandardCompany(db, 202401);
  db.Execute("insert into TEMPRESAS_NIBO (BDCODEMP, BDIDEMPRESANIBO, BDCODOAUTH2) values (1, 'emp-1', 7)");
  db.Execute("insert into TOAUTH2 (BDCODOAUTH2, BDCLIENTID, BDCLIENTSECRET) values (7, 'cli-7', ?)",
             {std::string(kSegredoNibo)});
  db.Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_NIBO_URL', ?)", {baseURL});
}

}  // namespace integracao
