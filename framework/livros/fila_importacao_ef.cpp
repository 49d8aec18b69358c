#include "framework/livros/fila_importacao_ef.h"

#include <fmt/format.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/livros/marca_livros.h"

namespace vyn {

namespace {

// The document's text as the WIN1252 database can hold it: the UTF-8 byte-order mark dropped (it marks
// the file's encoding, not the document), and every character outside WIN1252 written as an XML
// character reference, which stands for that same character in the document.
std::string TextoDocumento(const std::string& bytes, const std::string& arquivo) {
  const auto invalido = [&]() { return std::runtime_error("O arquivo " + arquivo + " não está codificado em UTF-8."); };
  static constexpr char32_t kMinimo[] = {0, 0, 0x80, 0x800, 0x10000};
  size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  std::string out;
  out.reserve(bytes.size() - i);
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    const size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > bytes.size()) throw invalido();
    char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (size_t k = 1; k < n; ++k) {
      const auto cc = static_cast<unsigned char>(bytes[i + k]);
      if ((cc & 0xC0) != 0x80) throw invalido();
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < kMinimo[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) throw invalido();
    const std::string_view seq = std::string_view(bytes).substr(i, n);
    if (FitsWin1252(seq)) {
      out.append(seq);
    } else {
      out += fmt::format("&#x{:X};", static_cast<unsigned>(cp));
    }
    i += n;
  }
  return out;
}

}  // namespace

bool EnfileiraDocumentoEF(TDatabase& db, int codEmp, int tipoDocumento, int tipoParceiro, const std::string& arquivo,
                          const std::string& identificador) {
  std::ifstream in(arquivo, std::ios::binary);
  if (!in) throw std::runtime_error("Arquivo não encontrado: " + arquivo);
  std::ostringstream conteudo;
  conteudo << in.rdbuf();
  const std::string texto = TextoDocumento(conteudo.str(), arquivo);
  // A document the partner names neither by key nor by id is known by its text: the same text fetched
  // again is the same document.
  const std::string identidade = identificador.empty() ? IdentidadeConteudoEF(texto) : identificador;
  if (db.QueryValue("SELECT COUNT(*) FROM VEF_TFILA_IMPORTACAO_EF WHERE BDCODEMP = ? AND BDTIPOPARCEIRO = ? AND "
                    "BDIDENTIFICADOR = ?",
                    {codEmp, tipoParceiro, identidade})
          .AsInteger() > 0)
    return false;
  TMarcaLivros marca(db);
  try {
    db.Execute("INSERT INTO VEF_TFILA_IMPORTACAO_EF (BDID, BDCODEMP, BDTIPODOCUMENTO, BDTIPOPARCEIRO, BDARQUIVO, "
               "BDCONTEUDO, BDIDENTIFICADOR) VALUES (NEXT VALUE FOR GEN_VEF_TFILA_IMPORTACAO_EF, ?, ?, ?, ?, ?, ?)",
               {codEmp, tipoDocumento, tipoParceiro, arquivo, texto, identidade});
  } catch (const EDatabaseError& e) {
    // Another workstation queued it between the look and the write: the queue's key holds it once.
    if (e.IsUniqueViolation() || e.IsLockConflict()) return false;
    throw;
  }
  return true;
}

std::string IdentidadeConteudoEF(const std::string& texto) { return "conteudo:" + HashTexto(texto); }

}  // namespace vyn
