// Entry-file feeders: Dyq files, client folders and their status tables.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteEntryImportSchema(TSchema& /*s*/) {}

}  // namespace vyn
