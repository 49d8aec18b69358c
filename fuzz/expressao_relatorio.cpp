// The report generator's expressions (the formulas of report templates): any text gives a value or
// is refused with an exception; it never crashes, however deep it nests.
#include <cstdint>
#include <exception>
#include <string>

#include "framework/ui/report_vyn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
  const std::string texto(reinterpret_cast<const char*>(dados), tamanho);
  vyn::TfrxReportVYN relatorio;
  relatorio.Variables["NOME"] = vyn::Variant(std::string("Maria"));
  relatorio.Variables["VALOR"] = vyn::Variant(static_cast<long long>(12));
  try {
    relatorio.Evaluate(texto);
    relatorio.ExpandText(texto);
  } catch (const std::exception&) {
  }
  return 0;
}
