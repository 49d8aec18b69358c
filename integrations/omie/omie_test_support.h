#pragma once
// Test support of the Omie folder: a program folder of its own per test, so that work files and
// request copies never land beside the test binary.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "framework/component/process_context.h"

namespace integracao {

class TPastaProgramaTeste {
 public:
  TPastaProgramaTeste() {
    static std::atomic<int> n{0};
    pasta_ = std::filesystem::temp_directory_path() /
             ("omie_prog_" + std::to_string(::getpid()) + "_" + std::to_string(n++));
    std::filesystem::remove_all(pasta_);
    std::filesystem::create_directories(pasta_);
    salvo_ = vyn::ProcessContext().ProgramFolder;
    vyn::ProcessContext().ProgramFolder = pasta_.string();
  }
  ~TPastaProgramaTeste() {
    vyn::ProcessContext().ProgramFolder = salvo_;
    std::error_code ec;
    std::filesystem::remove_all(pasta_, ec);
  }
  const std::filesystem::path& Pasta() const { return pasta_; }

 private:
  std::filesystem::path pasta_;
  std::string salvo_;
};

}  // namespace integracao

#include "framework/data/fb_database.h"
#include "framework/schema/seed.h"
#include "testing/settlement_seed.h"

namespace integracao {

// Company 1 on Omie (key "k-1", secret "s-1") with tax 12 "IRPJ" (LALUR) and tax 13 "PIS" (payroll).
inline void SemeiaEmpresaOmie(vyn::TDatabase& db) {
  vyn::seed::AddStandardCompany(db, 202401);
  db.Execute("update TEMPRESAS set BDOMIE = 'TRUE', BDCHAVEACESSOOMIE = 'k-1', BDSENHAOMIE = 's-1' where BDCODEMP = 1");
  db.Execute("insert into TIMPOSTO (BDCODIMP, BDDESCIMP, BDCODSIS) values (12, 'IRPJ', 7)");
  db.Execute("insert into TIMPOSTO (BDCODIMP, BDDESCIMP, BDCODSIS) values (13, 'PIS', 3)");
  db.Execute("insert into TIMPOSTO (BDCODIMP, BDDESCIMP, BDCODSIS) values (14, 'ISS', 2)");
  for (int imp : {12, 13, 14}) db.Execute("insert into TEMPRESAIMPOSTO (BDCODEMP, BDCODIMP) values (1, ?)", {imp});
}

inline void SemeiaGuiaOmie(vyn::TDatabase& db, int chave, int imp, int ref, vyn::TDateTime vcto, vyn::Currency valor) {
  db.Execute("insert into TDARFPADRAO (BDCODEMP, BDCHAVEDARF, BDCODIMP, BDREFERENCIA, BDDATAVCTO, BDVALOR, "
             "BDVLRIMPORIGINAL, BDTOTAL) values (1, ?, ?, ?, ?, ?, ?, ?)",
             {chave, imp, ref, vcto, valor, valor, valor});
  vyn::seed::AddGuia(db, 1, chave, valor);
}

}  // namespace integracao
