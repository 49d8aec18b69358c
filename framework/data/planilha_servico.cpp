#include "framework/data/planilha_servico.h"

#include <fstream>
#include <sstream>

namespace vyn {

void TPlanilhaVYN::Abrir(const std::string& caminho) {
  std::ifstream in(caminho, std::ios::binary);
  if (!in) throw EPlanilha("Não foi possível abrir a planilha " + caminho + ".");
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string texto = ss.str();
  linhas_.clear();
  size_t ini = 0;
  while (ini < texto.size()) {
    size_t fim = texto.find('\n', ini);
    if (fim == std::string::npos) {
      linhas_.push_back(texto.substr(ini));
      finalComQuebra_ = false;
      return;
    }
    linhas_.push_back(texto.substr(ini, fim + 1 - ini));
    ini = fim + 1;
  }
  finalComQuebra_ = true;
}

void TPlanilhaVYN::ExcluiLinha(int n) {
  if (n < 1 || n > Linhas()) return;
  linhas_.erase(linhas_.begin() + (n - 1));
}

void TPlanilhaVYN::SalvarComo(const std::string& caminho) const {
  std::ofstream out(caminho, std::ios::binary | std::ios::trunc);
  if (!out) throw EPlanilha("Não foi possível gravar a planilha " + caminho + ".");
  for (size_t i = 0; i < linhas_.size(); ++i) {
    std::string l = linhas_[i];
    // The row that was last in the file may now sit above others.
    if (i + 1 < linhas_.size() && (l.empty() || l.back() != '\n')) l += "\r\n";
    out << l;
  }
  if (!out) throw EPlanilha("Não foi possível gravar a planilha " + caminho + ".");
}

std::unique_ptr<TPlanilhaVYN> GetInstanciaExcel() { return std::make_unique<TPlanilhaVYN>(); }

}  // namespace vyn
