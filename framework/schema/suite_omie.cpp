// Omie exchanges and their status tables.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteOmieSchema(TSchema& /*s*/) {}

}  // namespace vyn
