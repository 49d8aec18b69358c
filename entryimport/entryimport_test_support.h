#pragma once
// Test support of the entry-file feeders: a program folder per test, the Dyq entry-file service's
// configuration pointed at a loopback fake, and a company set up for Dyq.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/schema/seed.h"

namespace integracao {

class TPastaProgramaFeeders {
 public:
  TPastaProgramaFeeders() {
    static std::atomic<int> n{0};
    pasta_ = std::filesystem::temp_directory_path() /
             ("feeders_prog_" + std::to_string(::getpid()) + "_" + std::to_string(n++));
    std::filesystem::remove_all(pasta_);
    std::filesystem::create_directories(pasta_);
    salvo_ = vyn::ProcessContext().ProgramFolder;
    vyn::ProcessContext().ProgramFolder = pasta_.string();
  }
  ~TPastaProgramaFeeders() {
    vyn::ProcessContext().ProgramFolder = salvo_;
    std::error_code ec;
    std::filesystem::remove_all(pasta_, ec);
  }
  const std::filesystem::path& Pasta() const { return pasta_; }
  // Files left in the program's "temp" folder.
  int ArquivosTemp() const {
    int n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(pasta_ / "temp", ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      if (it->is_regular_file()) ++n;
    return n;
  }

 private:
  std::filesystem::path pasta_;
  std::string salvo_;
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

}  // namespace integracao
