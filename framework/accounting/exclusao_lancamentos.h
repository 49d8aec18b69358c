#pragma once
// Deleting ledger entries together with everything that hangs on them.
#include <string>

#include "framework/data/fb_database.h"

namespace vyn {

// Deletes the company's entries that the condition on L (with its values, in order) names, with their
// complements, cost-centre rows, Y570 rows and reconciled items; statement lines that pointed at them
// lose the pointer, and the entries on the other side of their reconciliations are unmarked when no
// item is left. Runs in the caller's transaction, so a failure leaves every row where it was.
void ExcluiLancamentos(TDatabase& db, int codEmp, const std::string& onde, const TParams& valores);

}  // namespace vyn
