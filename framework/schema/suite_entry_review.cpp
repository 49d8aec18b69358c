// The entry reviews' work tables and stores.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteEntryReviewSchema(TSchema& /*s*/) {}

}  // namespace vyn
