#pragma once
// Test support of the Omie folder: a program folder of its own per test, so that work files and
// request copies never land beside the test binary; a company on Omie with its taxes and guides.
#include "framework/data/fb_database.h"
#include "framework/schema/seed.h"
#include "testing/program_folder.h"
#include "testing/settlement_seed.h"

namespace integracao {

class TPastaProgramaTeste : public vyn::TPastaProgramaTemp {
 public:
  TPastaProgramaTeste() : vyn::TPastaProgramaTemp("omie_prog") {}
};

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
