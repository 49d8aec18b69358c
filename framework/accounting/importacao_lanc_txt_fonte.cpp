#include "framework/accounting/importacao_lanc_txt_fonte.h"

#include <iterator>
#include <stdexcept>

#include "framework/data/arquivo_importacao.h"

namespace vyn {

namespace {
// A UTF-16 text: its mark, or (without one) a letter followed by a zero byte. A workbook's bytes (a zip's
// "PK", an old sheet's header) are not: the import tells those by their content elsewhere.
bool EmUtf16(const std::string& inicio) {
  if (inicio.compare(0, 2, "\xFF\xFE") == 0 || inicio.compare(0, 2, "\xFE\xFF") == 0) return true;
  return inicio.size() >= 2 && inicio[1] == '\0' && inicio[0] >= ' ' && inicio[0] < 0x7F;
}

void TiraMarcaUtf8(std::string& linha) {
  if (linha.compare(0, 3, "\xEF\xBB\xBF") == 0) linha.erase(0, 3);
}
}  // namespace

TArquivoTxtEmLinhas::TArquivoTxtEmLinhas(const std::string& caminho) : in_(caminho, std::ios::binary) {
  aberto_ = static_cast<bool>(in_);
}

bool TArquivoTxtEmLinhas::Proxima(std::string& linha) {
  if (!seguintes_.empty()) {
    linha = LinhaArquivoUtf8(seguintes_.front());
    seguintes_.pop_front();
    return true;
  }
  if (!std::getline(in_, bruta_)) return false;
  if (primeira_) {
    // Two bytes a character: every field would be read apart from its letters.
    if (EmUtf16(bruta_))
      throw std::runtime_error(
          "o arquivo está em UTF-16; salve-o em UTF-8 ou ANSI (Windows-1252) e importe-o de novo");
    TiraMarcaUtf8(bruta_);
  }
  primeira_ = false;
  SeparaFinsDeLinhaCR();
  linha = LinhaArquivoUtf8(bruta_);
  return true;
}

void TArquivoTxtEmLinhas::SeparaFinsDeLinhaCR() {
  // A file whose lines end in a carriage return alone reaches here as one line.
  size_t cr = bruta_.find('\r');
  if (cr == std::string::npos || cr + 1 >= bruta_.size()) return;
  size_t inicio = cr + 1;
  while (inicio < bruta_.size()) {
    const size_t fim = bruta_.find('\r', inicio);
    const size_t ate = fim == std::string::npos ? bruta_.size() : fim;
    if (ate > inicio) seguintes_.push_back(bruta_.substr(inicio, ate - inicio));
    if (fim == std::string::npos) break;
    inicio = fim + 1;
  }
  bruta_.resize(cr);
}

void TArquivoTxtEmLinhas::Reinicia() {
  in_.clear();
  in_.seekg(0);
  primeira_ = true;
  seguintes_.clear();
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
