#include "framework/component/process_context.h"

namespace vyn {

TProcessContext& ProcessContext() {
  static TProcessContext context;
  return context;
}

}  // namespace vyn
