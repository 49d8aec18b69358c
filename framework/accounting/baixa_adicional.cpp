#include "framework/accounting/baixa_adicional.h"

#include <fmt/format.h>

namespace vyn {

std::string ChaveBaixaAdicional(int tipoBaixa, int subtipoBaixa, int64_t baixaId, int ordem) {
  return fmt::format("{}|{}|{}|{}", tipoBaixa, subtipoBaixa, baixaId, ordem);
}

}  // namespace vyn
