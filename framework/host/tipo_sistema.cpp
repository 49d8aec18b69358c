#include "framework/host/tipo_sistema.h"

#include <stdexcept>

#include "framework/core/text.h"

namespace vyn {

int SistemaPorNome(const std::string& nome) {
  static const char* const kNomes[] = {"tsNenhum",     "tsContabil", "tsFolha",      "tsFiscal",
                                       "tsFinanceiro", "tsLalur",    "tsPatrimonio", "tsProtocolo",
                                       "tsTarefas",    "tsOrcamento"};
  const std::string t = Trim(nome);
  for (int i = 0; i < static_cast<int>(std::size(kNomes)); ++i)
    if (SameText(t, kNomes[i])) return i;
  throw std::invalid_argument("Sistema desconhecido: " + t);
}

}  // namespace vyn
