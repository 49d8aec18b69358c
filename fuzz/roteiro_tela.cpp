// The host's screen-script JSON: any text is parsed, and a script the host takes is accepted or
// refused with an error of its own; it never crashes.
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "host/screen_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
  const nlohmann::json script =
      nlohmann::json::parse(reinterpret_cast<const char*>(dados), reinterpret_cast<const char*>(dados) + tamanho,
                            nullptr, false);
  if (script.is_discarded()) return 0;
  std::istringstream in;
  std::ostringstream out, err;
  try {
    integracao_host::TExecucaoScript execucao(script, in, out, err);
  } catch (const std::exception&) {
  }
  return 0;
}
