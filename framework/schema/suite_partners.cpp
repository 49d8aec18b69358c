// Partners, their quotas and the import layouts.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuitePartnersSchema(TSchema& /*s*/) {}

}  // namespace vyn
