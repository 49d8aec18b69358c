#include "framework/accounting/importacao_lanc_txt_fonte.h"

#include <iterator>

#include "framework/data/arquivo_importacao.h"

namespace vyn {

namespace {
void TiraMarcaUtf8(std::string& linha) {
  if (linha.compare(0, 3, "\xEF\xBB\xBF") == 0) linha.erase(0, 3);
}
}  // namespace

TArquivoTxtEmLinhas::TArquivoTxtEmLinhas(const std::string& caminho) : in_(caminho, std::ios::binary) {
  aberto_ = static_cast<bool>(in_);
}

bool TArquivoTxtEmLinhas::Proxima(std::string& linha) {
  if (!std::getline(in_, bruta_)) return false;
  if (primeira_) TiraMarcaUtf8(bruta_);
  primeira_ = false;
  linha = LinhaArquivoUtf8(bruta_);
  return true;
}

void TArquivoTxtEmLinhas::Reinicia() {
  in_.clear();
  in_.seekg(0);
  primeira_ = true;
}

TFluxoTxtEmLinhas::TFluxoTxtEmLinhas(std::istream& in) : in_(&in), inicio_(in.tellg()) {
  if (inicio_ == std::streampos(-1)) {
    copia_ = std::make_unique<std::istringstream>(std::string(std::istreambuf_iterator<char>(in), {}));
    in_ = copia_.get();
    inicio_ = 0;
  }
}

bool TFluxoTxtEmLinhas::Proxima(std::string& linha) { return static_cast<bool>(std::getline(*in_, linha)); }

void TFluxoTxtEmLinhas::Reinicia() {
  in_->clear();
  in_->seekg(inicio_);
}

}  // namespace vyn
