// SPED validation jobs and BI requests.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteSpedBiSchema(TSchema& /*s*/) {}

}  // namespace vyn
