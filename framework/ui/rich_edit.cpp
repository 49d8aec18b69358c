#include "framework/ui/rich_edit.h"

namespace vyn {

std::vector<std::string> TRxRichEdit_VYN::Lines() const {
  std::vector<std::string> out;
  const std::string& t = Text();
  size_t inicio = 0;
  while (inicio < t.size()) {
    size_t fim = t.find('\n', inicio);
    if (fim == std::string::npos) fim = t.size();
    std::string linha = t.substr(inicio, fim - inicio);
    if (!linha.empty() && linha.back() == '\r') linha.pop_back();
    out.push_back(std::move(linha));
    inicio = fim + 1;
  }
  return out;
}

}  // namespace vyn
