// Bank statements, preparation rules, receipts and reconciliation.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteBankStatementSchema(TSchema& /*s*/) {}

}  // namespace vyn
