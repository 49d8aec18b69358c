// The entry text parser: any bytes are read as an entry file without crashing, and every code it
// accepts is the number written in its field (never wrapped into another account).
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "framework/accounting/importacao_lanc_txt.h"
#include "framework/core/text.h"

namespace {

// The line numbered n (1-based) of the text.
std::string Linha(const std::string& texto, int n) {
  std::istringstream in(texto);
  std::string l;
  for (int i = 0; i < n && std::getline(in, l); ++i) {
  }
  if (!l.empty() && l.back() == '\r') l.pop_back();
  if (n == 1 && l.rfind("\xEF\xBB\xBF", 0) == 0) l.erase(0, 3);
  return l;
}

// The code a field holds as the parser must read it: its digits without leading zeros.
void Confere(const std::vector<std::string>& campos, size_t i, long lido) {
  std::string t = i < campos.size() ? vyn::Trim(campos[i]) : std::string();
  t.erase(0, std::min(t.find_first_not_of('0'), t.size()));
  if (t.empty()) t = "0";
  if (t != std::to_string(lido)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
  if (tamanho == 0) return 0;
  const char separador = dados[0] % 2 ? ';' : ',';
  const std::string texto(reinterpret_cast<const char*>(dados) + 1, tamanho - 1);
  std::istringstream in(texto);
  const vyn::TArquivoLancamentosTxt r = vyn::LeArquivoLancamentosTxt(in, separador, 1);
  for (const vyn::TLinhaLancamentoTxt& l : r.Lancamentos) {
    const auto campos = vyn::SeparaCamposTxt(Linha(texto, l.Linha), separador);
    Confere(campos, 3, l.Debito);
    Confere(campos, 4, l.Credito);
    Confere(campos, 6, l.Historico);
  }
  return 0;
}
