#pragma once
// The demonstration company database: a head office, its branch, a chart of accounts, a history
// plan, the online configuration of the given month and a few fiscal-module postings of that month.
#include <string>

namespace vyn {
class TDatabase;
}

namespace integracao_host {

void SemeiaDemonstracao(vyn::TDatabase& db, int referencia);

}  // namespace integracao_host
