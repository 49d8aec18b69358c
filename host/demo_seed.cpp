#include "host/demo_seed.h"

#include "framework/schema/seed.h"

namespace integracao_host {

void SemeiaDemonstracao(vyn::TDatabase& db, int referencia) {
  vyn::TTransaction tr(db);
  vyn::seed::AddStandardCompany(db, referencia);
  tr.Commit();
}

}  // namespace integracao_host
