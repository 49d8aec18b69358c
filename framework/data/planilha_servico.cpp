#include "framework/data/planilha_servico.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/data/arquivo_importacao.h"
#include "framework/data/pasta_trabalho.h"

namespace vyn {

void TPlanilhaVYN::Abrir(const std::string& caminho) {
  std::ifstream in(caminho, std::ios::binary);
  if (!in) throw EPlanilha("Não foi possível abrir a planilha " + caminho + ".");
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string texto = ss.str();
  linhas_.clear();
  celulas_.clear();
  const TTipoPastaTrabalho tipo = TipoPastaTrabalho(texto);
  pasta_ = tipo != TTipoPastaTrabalho::Nenhuma;
  xls_ = tipo == TTipoPastaTrabalho::Xls;
  if (pasta_) {
    try {
      celulas_ = LerPastaTrabalho(caminho);
    } catch (const EArquivoImportacao& e) {
      throw EPlanilha(e.what());
    }
    return;
  }
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

std::vector<std::string> TPlanilhaVYN::Celulas(int n) const {
  if (n < 1 || n > Linhas()) return {};
  if (pasta_) return celulas_[static_cast<size_t>(n - 1)];
  std::string l = linhas_[static_cast<size_t>(n - 1)];
  while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.pop_back();
  return {l};
}

void TPlanilhaVYN::ExcluiLinha(int n) {
  if (n < 1 || n > Linhas()) return;
  if (pasta_)
    celulas_.erase(celulas_.begin() + (n - 1));
  else
    linhas_.erase(linhas_.begin() + (n - 1));
}

std::string TPlanilhaVYN::CaminhoGravacao(const std::string& caminho) const {
  if (!xls_) return caminho;
  return std::filesystem::path(caminho).replace_extension(".xlsx").string();
}

void TPlanilhaVYN::SalvarComo(const std::string& caminho) const {
  if (pasta_) {
    try {
      GravaPastaXlsx(CaminhoGravacao(caminho), celulas_);
    } catch (const EArquivoImportacao& e) {
      throw EPlanilha(e.what());
    }
    return;
  }
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
