// Payments exchanged with the report portal.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteVynReportSchema(TSchema& /*s*/) {}

}  // namespace vyn
