// The ECF export's parameters and saved settings.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteEcfSchema(TSchema& /*s*/) {}

}  // namespace vyn
