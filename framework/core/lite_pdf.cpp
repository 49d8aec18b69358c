#include "framework/core/lite_pdf.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fmt/format.h>
// The library's old smart pointer is not used here.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace vyn {

namespace {

// Page key holding the text of a page written here (a private key: readers ignore it).
constexpr const char* kChaveTexto = "/VynTexto";

std::string Hex(const std::string& s) {
  std::string out;
  for (unsigned char c : s) out += fmt::format("{:02x}", c);
  return out;
}

// The text of a page as a PDF string literal, on one line.
std::string Literal(const std::string& s) {
  std::string out = "(";
  for (char c : s) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += (c == '\r' || c == '\n') ? ' ' : c;
  }
  return out + ")";
}

std::string MontaPDF(const std::vector<std::string>& pages) {
  std::string out = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  auto obj = [&](const std::string& body) {
    offsets.push_back(out.size());
    out += fmt::format("{} 0 obj\n{}\nendobj\n", offsets.size(), body);
  };
  const size_t n = pages.size();
  std::string kids;
  for (size_t i = 0; i < n; ++i) kids += fmt::format("{} 0 R ", 4 + 2 * i);
  obj("<< /Type /Catalog /Pages 2 0 R >>");
  obj(fmt::format("<< /Type /Pages /Kids [ {}] /Count {} >>", kids, n));
  obj("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  for (size_t i = 0; i < n; ++i) {
    obj(fmt::format("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >> "
                    "/Contents {} 0 R {} <{}> >>", 5 + 2 * i, kChaveTexto, Hex(pages[i])));
    std::string content = "BT /F1 12 Tf 50 780 Td " + Literal(pages[i]) + " Tj ET";
    obj(fmt::format("<< /Length {} >>\nstream\n{}\nendstream", content.size(), content));
  }
  const size_t xref = out.size();
  out += fmt::format("xref\n0 {}\n0000000000 65535 f \n", offsets.size() + 1);
  for (size_t o : offsets) out += fmt::format("{:010} 00000 n \n", o);
  out += fmt::format("trailer\n<< /Size {} /Root 1 0 R >>\nstartxref\n{}\n%%EOF\n", offsets.size() + 1, xref);
  return out;
}

void GravaArquivo(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) throw EPDFError("Não foi possível gravar o arquivo PDF " + path);
  f << bytes;
  f.close();
  if (!f) throw EPDFError("Não foi possível gravar o arquivo PDF " + path);
}

}  // namespace

// The parsed document reads its objects lazily from `bytes`, and pages copied from another document
// read their streams from that document when written: both are kept alive with it.
struct TLitePDF::TDocumento {
  std::string bytes;
  QPDF pdf;
  std::vector<std::shared_ptr<TDocumento>> origens;

  void Processa(const std::string& nome) {
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile(nome.c_str(), bytes.data(), bytes.size());
  }
};

TLitePDF::TLitePDF() : TLitePDF(std::vector<std::string>{}) {}

TLitePDF::TLitePDF(const std::vector<std::string>& pages) : doc_(std::make_shared<TDocumento>()) {
  doc_->bytes = MontaPDF(pages);
  doc_->Processa("novo documento");
}

void TLitePDF::LoadFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EPDFError("Não foi possível abrir o arquivo PDF " + path);
  auto doc = std::make_shared<TDocumento>();
  doc->bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (doc->bytes.rfind("%PDF-", 0) != 0) throw EPDFError("O arquivo não é um PDF: " + path);
  try {
    doc->Processa(path);
    (void)QPDFPageDocumentHelper(doc->pdf).getAllPages();  // a damaged page tree fails here, not later
  } catch (const std::exception& e) {
    throw EPDFError("Não foi possível ler o arquivo PDF " + path + ": " + e.what());
  }
  doc_ = std::move(doc);
}

int TLitePDF::PageCount() const {
  return static_cast<int>(QPDFPageDocumentHelper(doc_->pdf).getAllPages().size());
}

std::vector<std::string> TLitePDF::Pages() const {
  std::vector<std::string> out;
  for (auto& page : QPDFPageDocumentHelper(doc_->pdf).getAllPages()) {
    QPDFObjectHandle texto = page.getObjectHandle().getKey(kChaveTexto);
    out.push_back(texto.isString() ? texto.getStringValue() : std::string());
  }
  return out;
}

void TLitePDF::InsertPages(const TLitePDF& other, int position) {
  if (other.doc_ == doc_) throw EPDFError("Um PDF não pode ser juntado a si mesmo");
  try {
    QPDFPageDocumentHelper destino(doc_->pdf);
    std::vector<QPDFPageObjectHelper> atuais = destino.getAllPages();
    position = std::clamp(position, 0, static_cast<int>(atuais.size()));
    std::vector<QPDFPageObjectHelper> novas = QPDFPageDocumentHelper(other.doc_->pdf).getAllPages();
    if (novas.empty()) return;
    doc_->origens.push_back(other.doc_);
    // Each page goes in after the one inserted before it, so the inserted pages keep their order.
    for (size_t i = 0; i < novas.size(); ++i) {
      if (position == static_cast<int>(atuais.size()) && i == 0) destino.addPage(novas[i], false);
      else if (i == 0) destino.addPageAt(novas[i], true, atuais[static_cast<size_t>(position)]);
      else destino.addPageAt(novas[i], false, destino.getAllPages()[static_cast<size_t>(position) + i - 1]);
    }
  } catch (const EPDFError&) {
    throw;
  } catch (const std::exception& e) {
    throw EPDFError(std::string("Não foi possível juntar as páginas do PDF: ") + e.what());
  }
}

void TLitePDF::SaveToFile(const std::string& path) const {
  std::string bytes;
  try {
    QPDFWriter w(doc_->pdf);
    w.setOutputMemory();
    w.write();
    std::unique_ptr<Buffer> buffer(w.getBuffer());
    bytes.assign(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
  } catch (const std::exception& e) {
    throw EPDFError("Não foi possível gravar o arquivo PDF " + path + ": " + e.what());
  }
  // Written beside and renamed, so that a failed write never leaves a truncated document behind.
  const std::string temporario = path + ".gravando";
  GravaArquivo(temporario, bytes);
  std::error_code ec;
  std::filesystem::rename(temporario, path, ec);
  if (ec) {
    std::filesystem::remove(temporario, ec);
    throw EPDFError("Não foi possível gravar o arquivo PDF " + path);
  }
}

void TLitePDF::WritePages(const std::string& path, const std::vector<std::string>& pages) {
  GravaArquivo(path, MontaPDF(pages));
}

}  // namespace vyn
