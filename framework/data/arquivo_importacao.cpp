#include "framework/data/arquivo_importacao.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "framework/core/text.h"
#include "framework/data/pasta_trabalho.h"

namespace vyn {

namespace {
const std::string kVazio;
const std::vector<std::string> kSemCelulas;

// The code points of WIN1252 bytes 0x80..0x9F (0 where the code page leaves them undefined).
constexpr unsigned kCp1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}
}  // namespace

bool IsValidUtf8(const std::string& text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    auto c = static_cast<unsigned char>(text[i]);
    size_t extra;
    if (c < 0x80) extra = 0;
    else if (c >= 0xC2 && c <= 0xDF) extra = 1;
    else if (c >= 0xE0 && c <= 0xEF) extra = 2;
    else if (c >= 0xF0 && c <= 0xF4) extra = 3;
    else return false;
    if (i + extra >= n && extra > 0) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

std::string LinhaArquivoUtf8(const std::string& linha) { return IsValidUtf8(linha) ? linha : Win1252ToUtf8(linha); }

std::string TextoArquivoUtf8(std::string conteudo) {
  if (conteudo.compare(0, 3, "\xEF\xBB\xBF") == 0) conteudo.erase(0, 3);
  // No UTF-8 sequence holds a line feed: a file valid as a whole is valid line by line.
  if (IsValidUtf8(conteudo)) return conteudo;
  std::string r;
  r.reserve(conteudo.size() + conteudo.size() / 8);
  for (size_t inicio = 0; inicio < conteudo.size();) {
    const size_t fim = std::min(conteudo.find('\n', inicio), conteudo.size());
    r += LinhaArquivoUtf8(conteudo.substr(inicio, fim - inicio));
    if (fim < conteudo.size()) r += '\n';
    inicio = fim + 1;
  }
  return r;
}

std::string Win1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    unsigned cp = c;
    if (c >= 0x80 && c < 0xA0) cp = kCp1252[c - 0x80] ? kCp1252[c - 0x80] : 0xFFFD;
    AppendUtf8(out, cp);
  }
  return out;
}

void TArquivoImportacao::LoadArquivo(const std::string& arquivo, int) {
  linhas_.clear();
  celulas_.clear();
  aviso_.clear();
  atual_ = 0;
  std::ifstream in(arquivo, std::ios::binary);
  if (!in) throw EArquivoImportacao("Não foi possível abrir o arquivo " + arquivo + ".");
  std::string conteudo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const TTipoPastaTrabalho tipo = TipoPastaTrabalho(conteudo);
  if (tipo != TTipoPastaTrabalho::Nenhuma) {
    celulas_ = tipo == TTipoPastaTrabalho::Xlsx ? LerPastaXlsx(arquivo, &aviso_) : LerPastaXls(arquivo, &aviso_);
    for (const auto& c : celulas_) linhas_.push_back(Join(c, ";"));
    return;
  }
  LerTextoDelimitado(TextoArquivoUtf8(std::move(conteudo)));
}

// As spreadsheet programs save a sheet as ";" text: a cell may be quoted, and inside the quotes a
// doubled quote is one quote, while ";" and line breaks belong to the cell. A quote that does not
// open the cell is kept as it is.
void TArquivoImportacao::LerTextoDelimitado(const std::string& conteudo) {
  std::vector<std::string> celulas;
  std::string celula, linha;
  bool aspas = false, temConteudo = false;
  auto fechaLinha = [&] {
    celulas.push_back(std::move(celula));
    linhas_.push_back(std::move(linha));
    celulas_.push_back(std::move(celulas));
    celula.clear(), linha.clear(), celulas.clear();
    temConteudo = false;
  };
  const size_t n = conteudo.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = conteudo[i];
    if (aspas) {
      if (c == '"' && i + 1 < n && conteudo[i + 1] == '"') {
        celula += '"', linha += "\"\"";
        ++i;
      } else if (c == '"') {
        aspas = false, linha += c;
      } else {
        celula += c, linha += c;
      }
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < n && conteudo[i + 1] == '\n') ++i;
      fechaLinha();
      continue;
    }
    temConteudo = true;
    linha += c;
    if (c == ';') {
      celulas.push_back(std::move(celula));
      celula.clear();
    } else if (c == '"' && celula.empty()) {
      aspas = true;
    } else {
      celula += c;
    }
  }
  if (temConteudo || aspas) fechaLinha();
}

const std::vector<std::string>& TArquivoImportacao::Celulas() const {
  return atual_ < Count() ? celulas_[static_cast<size_t>(atual_)] : kSemCelulas;
}

const std::string& TArquivoImportacao::Linha() const {
  return atual_ < Count() ? linhas_[static_cast<size_t>(atual_)] : kVazio;
}

}  // namespace vyn
