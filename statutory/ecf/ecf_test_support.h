#pragma once
// A company ready for the ECF: a Lucro Real head office (taxation 2 in its record) with a normal
// classification, its chart prepared for the referential plan, and a destination folder.
#include <filesystem>
#include <string>

#include "framework/component/process_context.h"
#include <unistd.h>

#include <cstdint>
#include "framework/schema/seed.h"
#include "testing/company_db.h"

namespace integracao::testing_ecf {

inline void SemeiaEmpresaECF(vyn::TDatabase& db) {
  vyn::seed::AddStandardCompany(db, 202301);
  db.Execute("UPDATE TEMPRESAS SET BDDATAINIATIVEMP = '2010-01-01', BDNOMCID = 'Curitiba', BDSIGLAUF = 'PR'");
  db.Execute("UPDATE TEMPRESAS_REF SET BDCODENQFED = 3, BDFORMATRIBUTACAO = 2, BDCODPLAPADRAOREF = 1");
  db.Execute("INSERT INTO TPREPARACAO_CONTAS_ECF (BDCODPLAPADRAO, BDCODPLAPADRAOREF, BDANO, BDCODTPLA) "
             "SELECT BDCODPLAPADRAO, 1, 2020, BDCODTPLA FROM PLANOS_TPLA WHERE BDCODPLAPADRAO = 1");
  vyn::ProcessContext().WP_MOSTROU_AVISO_ECF = true;
}

struct TPastaTemporaria {
  std::filesystem::path Caminho = std::filesystem::temp_directory_path() /
                                  ("ecf_" + std::to_string(::getpid()) + "_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
  TPastaTemporaria() { std::filesystem::create_directories(Caminho); }
  ~TPastaTemporaria() {
    std::error_code ec;
    std::filesystem::remove_all(Caminho, ec);
  }
};

}  // namespace integracao::testing_ecf
