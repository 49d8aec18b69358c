// Nibo imports.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteNiboSchema(TSchema& /*s*/) {}

}  // namespace vyn
