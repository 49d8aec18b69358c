#include "framework/accounting/config_imp_pdf_mgr.h"

#include <regex>
#include <vector>

#include "framework/core/text.h"

namespace vyn {

namespace {

std::vector<std::string> Linhas(const std::string& texto) {
  std::vector<std::string> out = Split(texto, '\n');
  for (auto& l : out)
    if (!l.empty() && l.back() == '\r') l.pop_back();
  return out;
}

// The byte offset of the code point n of s (s's size when shorter).
size_t OffsetCodePoint(const std::string& s, size_t n) {
  size_t i = 0;
  for (size_t cp = 0; i < s.size() && cp < n; ++cp) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

// The values of the kind in the segment, in order, with the code point where each ends.
struct TAchado {
  std::string Texto;
  size_t Fim = 0;
};

std::vector<TAchado> Valores(const std::string& trecho, TTypeEdits tipo) {
  std::vector<TAchado> out;
  auto junta = [&](const std::regex& re, int grupo, bool registro) {
    for (std::sregex_iterator it(trecho.begin(), trecho.end(), re), fim; it != fim; ++it) {
      std::string texto = it->str(grupo);
      if (registro) {
        texto = OnlyDigits(texto);
        if (texto.size() != 11 && texto.size() != 14) continue;
      }
      const size_t fimBytes = static_cast<size_t>(it->position(grupo) + it->length(grupo));
      out.push_back({std::move(texto), Utf8Length(trecho.substr(0, fimBytes))});
    }
  };
  switch (tipo) {
    case teTitulo:
      if (!Trim(trecho).empty()) out.push_back({Trim(trecho), Utf8Length(trecho)});
      break;
    case teCPFCNPJ: {
      static const std::regex numero(R"([0-9][0-9./-]*[0-9])");
      junta(numero, 0, true);
      break;
    }
    case teValor:
    case teValorPago: {
      // Thousands groups only where they are complete, so "1050,00" and "1.050,00" both read whole.
      static const std::regex valor(R"((^|[^0-9.,])(-?(\d{1,3}(\.\d{3})+|\d+),\d{2})(?![0-9]))");
      junta(valor, 2, false);
      break;
    }
    case teData: {
      static const std::regex data(R"((^|[^0-9/])(\d{2}/\d{2}/\d{4})(?![0-9]))");
      junta(data, 2, false);
      break;
    }
  }
  return out;
}

}  // namespace

void TVZEL_TCONFIG_IMP_PDFMGR::FindInPDF(const std::string& label, const std::string& texto, int linha,
                                         TTypeEdits tipo, std::string& valor, bool, TRxRichEdit_VYN*, bool) {
  valor.clear();
  const std::string rotulo = Trim(label);
  if (rotulo.empty()) return;
  const std::vector<std::string> linhas = Linhas(texto);
  for (size_t i = 0; i < linhas.size(); ++i) {
    for (size_t pos = linhas[i].find(rotulo); pos != std::string::npos; pos = linhas[i].find(rotulo, pos + 1)) {
      if (linha == 0) {
        auto v = Valores(linhas[i].substr(pos + rotulo.size()), tipo);
        if (!v.empty()) valor = v.front().Texto;
      } else {
        // The line below: blank lines the layout leaves between rows do not count.
        size_t j = i + 1;
        while (j < linhas.size() && Trim(linhas[j]).empty()) ++j;
        if (j >= linhas.size()) continue;
        // Values of other columns may share that line: the one under the label is the first that
        // reaches the label's column (a value may start a little to its left); else the nearest.
        const size_t coluna = Utf8Length(linhas[i].substr(0, pos));
        auto v = Valores(linhas[j], tipo);
        if (tipo == teTitulo) {
          const std::string resto = Trim(linhas[j].substr(OffsetCodePoint(linhas[j], coluna)));
          if (!resto.empty()) valor = resto;
        } else if (!v.empty()) {
          valor = v.back().Texto;
          for (const TAchado& a : v)
            if (a.Fim > coluna) {
              valor = a.Texto;
              break;
            }
        }
      }
      if (!valor.empty()) return;
    }
  }
}

}  // namespace vyn
