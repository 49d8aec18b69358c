// Report sequences, their items, runs and logs.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteReportSequenceSchema(TSchema& /*s*/) {}

}  // namespace vyn
