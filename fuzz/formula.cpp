// The formula evaluator: any text either gives a value or is refused with the evaluator's own
// errors (an amount beyond the money range included); it never crashes nor wraps, whatever the
// nesting of parentheses or of names with arguments.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/accounting/formula_parsers.h"
#include "framework/core/currency.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
  const std::string texto(reinterpret_cast<const char*>(dados), tamanho);
  // Every name is known: it is worth the count of its arguments.
  const vyn::TParserExpression::TResolveNome resolve = [](const std::string&, const std::vector<std::string>& args)
      -> std::optional<vyn::Currency> { return vyn::Currency::FromInt(static_cast<int>(args.size())); };
  try {
    vyn::TParserExpression::AvaliaAritmetica(texto, resolve);
  } catch (const std::invalid_argument&) {
  } catch (const std::domain_error&) {
  } catch (const vyn::ECurrencyError&) {
  }
  return 0;
}
