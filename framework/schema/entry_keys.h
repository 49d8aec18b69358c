#pragma once
// Entry keys (BDCHAVE of VZEL_EMPRESAS_TLAN) are reserved on the server per company, in blocks, before
// rows are written: a reservation commits at once, so no two attachments ever get the same key.
#include "framework/data/fb_database.h"

namespace vyn {

// Reserves count consecutive keys of the company and answers the first. The first reservation of a
// company starts after its highest existing key. The caller's open transaction is marked as writing
// the company's ledger until it ends; while a change of posting plan holds the company the
// reservation is refused (see ledger_lock.h).
int ReserveEntryKeys(TDatabase& db, int codemp, int count = 1);
// The same for the change of posting plan that holds the company (BloqueiaLancamentosEmpresas, in
// the caller's open transaction): no writer can start meanwhile, and the hold would refuse the mark.
int ReserveEntryKeysUnderHold(TDatabase& db, int codemp, int count = 1);

}  // namespace vyn
