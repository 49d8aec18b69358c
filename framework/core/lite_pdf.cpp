#include "framework/core/lite_pdf.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include <fmt/format.h>

namespace vyn {

namespace {

constexpr const char* kMarcaPagina = "%vyn-page ";

std::string Hex(const std::string& s) {
  std::string out;
  for (unsigned char c : s) out += fmt::format("{:02x}", c);
  return out;
}

std::string FromHex(const std::string& h) {
  std::string out;
  for (size_t i = 0; i + 1 < h.size(); i += 2) out += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
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

}  // namespace

void TLitePDF::LoadFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EPDFError("Não foi possível abrir o arquivo PDF " + path);
  std::string line;
  std::getline(in, line);
  if (line.rfind("%PDF-", 0) != 0) throw EPDFError("O arquivo não é um PDF: " + path);
  std::vector<std::string> pages;
  bool ours = false;
  while (std::getline(in, line)) {
    if (line.rfind("%vyn-pdf", 0) == 0) ours = true;
    if (line.rfind(kMarcaPagina, 0) == 0) pages.push_back(FromHex(line.substr(std::string(kMarcaPagina).size())));
  }
  if (!ours) throw EPDFError("PDF não suportado pela junção de arquivos: " + path);
  pages_ = std::move(pages);
}

void TLitePDF::InsertPages(const TLitePDF& other, int position) {
  position = std::clamp(position, 0, PageCount());
  pages_.insert(pages_.begin() + position, other.pages_.begin(), other.pages_.end());
}

void TLitePDF::SaveToFile(const std::string& path) const { WritePages(path, pages_); }

void TLitePDF::WritePages(const std::string& path, const std::vector<std::string>& pages) {
  std::string out = "%PDF-1.4\n%vyn-pdf\n";
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
    out += kMarcaPagina + Hex(pages[i]) + "\n";
    obj(fmt::format("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >> "
                    "/Contents {} 0 R >>", 5 + 2 * i));
    std::string content = "BT /F1 12 Tf 50 780 Td " + Literal(pages[i]) + " Tj ET";
    obj(fmt::format("<< /Length {} >>\nstream\n{}\nendstream", content.size(), content));
  }
  const size_t xref = out.size();
  out += fmt::format("xref\n0 {}\n0000000000 65535 f \n", offsets.size() + 1);
  for (size_t o : offsets) out += fmt::format("{:010} 00000 n \n", o);
  out += fmt::format("trailer\n<< /Size {} /Root 1 0 R >>\nstartxref\n{}\n%%EOF\n", offsets.size() + 1, xref);
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) throw EPDFError("Não foi possível gravar o arquivo PDF " + path);
  f << out;
  if (!f) throw EPDFError("Não foi possível gravar o arquivo PDF " + path);
}

}  // namespace vyn
