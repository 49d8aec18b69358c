#include "framework/core/pdf_text.h"

#include <memory>

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

namespace vyn {

namespace {

// Poppler reports damaged files on stderr; the callers report them in their own words.
void SemDepuracao(const std::string&, void*) {}

std::unique_ptr<poppler::document> Carrega(const std::string& arquivo) {
  poppler::set_debug_error_function(&SemDepuracao, nullptr);
  return std::unique_ptr<poppler::document>(poppler::document::load_from_file(arquivo));
}

std::unique_ptr<poppler::document> Abre(const std::string& arquivo) {
  auto doc = Carrega(arquivo);
  if (!doc || doc->is_locked()) return nullptr;
  return doc;
}

}  // namespace

bool PDFProtegidoPorSenha(const std::string& arquivo) {
  auto doc = Carrega(arquivo);
  return doc && doc->is_locked();
}

int PDFPageCount(const std::string& arquivo) {
  auto doc = Abre(arquivo);
  return doc ? doc->pages() : 0;
}

std::string PDFTextGet(const std::string& arquivo, int pagina) {
  if (pagina < 1) return {};
  auto doc = Abre(arquivo);
  if (!doc || pagina > doc->pages()) return {};
  std::unique_ptr<poppler::page> p(doc->create_page(pagina - 1));
  if (!p) return {};
  // The physical layout keeps a label and the value printed beside it on one line.
  const poppler::byte_array utf8 = p->text(poppler::rectf(), poppler::page::physical_layout).to_utf8();
  std::string texto(utf8.begin(), utf8.end());
  // Lines end in '\n' only; page breaks are the caller's business.
  std::string out;
  out.reserve(texto.size());
  for (char c : texto)
    if (c != '\r' && c != '\f') out += c;
  return out;
}

}  // namespace vyn
