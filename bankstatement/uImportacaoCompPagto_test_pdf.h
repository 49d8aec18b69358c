#pragma once
// Test support of the receipt import: small PDF files written by hand, one text item per line,
// in the standard Helvetica font (text given in UTF-8, written in the font's Latin-1 encoding).
#include <fstream>
#include <string>
#include <vector>

namespace integracao::teste {

// A line of a page: text items at x positions (points from the left edge).
using TLinhaPDF = std::vector<std::pair<int, std::string>>;
using TPaginaPDF = std::vector<TLinhaPDF>;

inline std::string Latin1(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    }
  }
  return out;
}

inline std::string TextoPDF(const std::string& s) {
  std::string out;
  for (char c : Latin1(s)) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

// Each page's lines go from the top down, 14 points apart. A protected file asks for a user password
// (its check value matches no password, the empty one included).
inline void EscrevePDF(const std::string& arquivo, const std::vector<TPaginaPDF>& paginas, bool protegido = false) {
  std::vector<std::string> objetos;
  std::string kids;
  const size_t n = paginas.size();
  objetos.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  for (size_t i = 0; i < n; ++i) kids += std::to_string(4 + 2 * i) + " 0 R ";
  objetos.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(n) + " >>");
  objetos.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  for (size_t i = 0; i < n; ++i) {
    std::string conteudo;
    int y = 800;
    for (const TLinhaPDF& linha : paginas[i]) {
      for (const auto& [x, texto] : linha)
        conteudo += "BT /F1 10 Tf 1 0 0 1 " + std::to_string(x) + " " + std::to_string(y) + " Tm (" +
                    TextoPDF(texto) + ") Tj ET\n";
      y -= 14;
    }
    objetos.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >> "
                      "/Contents " + std::to_string(5 + 2 * i) + " 0 R >>");
    objetos.push_back("<< /Length " + std::to_string(conteudo.size()) + " >>\nstream\n" + conteudo + "endstream");
  }
  std::string cifra;
  if (protegido) {
    const std::string h32(64, 'A');
    objetos.push_back("<< /Filter /Standard /V 1 /R 2 /O <" + h32 + "> /U <" + h32 + "> /P -4 >>");
    cifra = " /Encrypt " + std::to_string(objetos.size()) + " 0 R /ID [<0123456789ABCDEF0123456789ABCDEF> "
            "<0123456789ABCDEF0123456789ABCDEF>]";
  }
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objetos.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objetos[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objetos.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t off : offsets) {
    std::string s = std::to_string(off);
    pdf += std::string(10 - s.size(), '0') + s + " 00000 n \n";
  }
  pdf += "trailer\n<< /Size " + std::to_string(objetos.size() + 1) + " /Root 1 0 R" + cifra + " >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  std::ofstream(arquivo, std::ios::binary) << pdf;
}

}  // namespace integracao::teste
