#pragma once
// What each Dyq entry file put in the ledger (TINTEGRACAO_DYQ_LANCAMENTO). The service forgets a file
// only once it accepted the marking; until then it lists the file again, and only this record keeps
// the next run from posting its lines a second time.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/ui/chaves_lancamentos.h"

namespace vyn {
class TDatabase;
}

namespace integracao {

// (company, key) of ledger entries.
using TLancamentosDyq = std::vector<std::pair<int, int>>;

// Records the entries the file put in, replacing an earlier record of it; called inside the import's
// transaction. An empty list (a run that only settled lines) still records the file.
void RegistraLancamentosDyq(vyn::TDatabase& db, int empresa, const std::string& id,
                            const vyn::TChavesLancamentos& lancamentos);

// The entries of an imported file still in the ledger; nullopt when the file was never imported, or
// when every entry it put in has been deleted since (it may then be imported again).
std::optional<TLancamentosDyq> LancamentosDyqNoLivro(vyn::TDatabase& db, int empresa, const std::string& id);

}  // namespace integracao
