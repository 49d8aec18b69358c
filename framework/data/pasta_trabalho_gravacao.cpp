// Writing of a one-sheet .xlsx package: what a copy of a sheet with rows taken out is saved as.
#include <zip.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/datetime.h"
#include "framework/data/arquivo_importacao.h"
#include "framework/data/pasta_trabalho.h"

namespace vyn {

namespace {

constexpr const char* kTipos =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(</Types>)";
constexpr const char* kRelsPacote =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";
constexpr const char* kLivro =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<sheets><sheet name="Plan1" sheetId="1" r:id="rId1"/></sheets></workbook>)";
constexpr const char* kRelsLivro =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(</Relationships>)";
// Style 1: the short date (DD/MM/YYYY in a pt-BR sheet).
constexpr const char* kEstilos =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="2"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/></cellXfs>)"
    R"(</styleSheet>)";

std::string LetrasColuna(size_t indice) {
  std::string r;
  for (size_t n = indice + 1; n > 0; n = (n - 1) / 26) r.insert(r.begin(), static_cast<char>('A' + (n - 1) % 26));
  return r;
}

// "1234,5", "-3", "0,25": a number the readers wrote; a code with leading zeros ("007") or one too
// long for a sheet's double stays text, so it comes back as it went.
bool NumeroSimples(const std::string& t, std::string& armazenado) {
  size_t i = t.size() > 1 && t[0] == '-' ? 1 : 0;
  const size_t virgula = t.find(',');
  const std::string inteira = t.substr(i, virgula == std::string::npos ? std::string::npos : virgula - i);
  const std::string decimais = virgula == std::string::npos ? "" : t.substr(virgula + 1);
  auto digitos = [](const std::string& s) {
    for (char c : s)
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
  };
  if (inteira.empty() || !digitos(inteira) || !digitos(decimais) || (virgula != std::string::npos && decimais.empty()))
    return false;
  if ((inteira.size() > 1 && inteira[0] == '0') || inteira.size() + decimais.size() > 15) return false;
  armazenado = t.substr(0, i) + inteira + (decimais.empty() ? "" : "." + decimais);
  // Only what reads back as the very same text ("0,50" would come back "0,5").
  return NumeroArmazenadoParaTexto(armazenado) == t;
}

// "05/01/2025": a date the readers wrote, kept a date (its day serial) so the copy sorts and formats
// as the sheet did; days before March 1900, where the sheets' calendar has its false leap day, stay text.
bool DataSimples(const std::string& t, std::string& serial) {
  TDateTime d;
  if (t.size() != 10 || t[2] != '/' || t[5] != '/' || !TryStrToDate(t, d) || d < EncodeDate(1900, 3, 1)) return false;
  serial = std::to_string(d.Days());
  return true;
}

bool PareceEscape(const std::string& s, size_t i) {
  if (s.compare(i, 2, "_x") != 0 || i + 7 > s.size() || s[i + 6] != '_') return false;
  for (size_t k = i + 2; k < i + 6; ++k)
    if (!std::isxdigit(static_cast<unsigned char>(s[k]))) return false;
  return true;
}

// XML text; control characters as the sheet stores them (_xHHHH_), and a literal "_xHHHH_" with its
// underscore escaped so that it is not read as one.
std::string TextoXml(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '_' && PareceEscape(s, i)) out += "_x005F_";
    else if (c < 0x20 && c != '\t' && c != '\n') {
      static const char* hex = "0123456789ABCDEF";
      out += "_x00";
      out += hex[c >> 4];
      out += hex[c & 0xF];
      out += '_';
    } else out += static_cast<char>(c);
  }
  return out;
}

std::string FolhaXml(const TLinhasPlanilha& linhas) {
  std::string x = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                  R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)";
  for (size_t r = 0; r < linhas.size(); ++r) {
    const std::string nr = std::to_string(r + 1);
    x += "<row r=\"" + nr + "\">";
    for (size_t c = 0; c < linhas[r].size(); ++c) {
      const std::string& t = linhas[r][c];
      if (t.empty()) continue;
      const std::string ref = LetrasColuna(c) + nr;
      std::string numero;
      if (NumeroSimples(t, numero))
        x += "<c r=\"" + ref + "\"><v>" + numero + "</v></c>";
      else if (DataSimples(t, numero))
        x += "<c r=\"" + ref + "\" s=\"1\"><v>" + numero + "</v></c>";
      else
        x += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" + TextoXml(t) + "</t></is></c>";
    }
    x += "</row>";
  }
  return x + "</sheetData></worksheet>";
}

[[noreturn]] void NaoGravou(const std::string& arquivo, const std::string& detalhe) {
  throw EArquivoImportacao("Não foi possível gravar a planilha " + arquivo + " (" + detalhe + ").");
}

}  // namespace

void GravaPastaXlsx(const std::string& arquivo, const TLinhasPlanilha& linhas) {
  // The parts must outlive the package until it is closed.
  const std::vector<std::pair<const char*, std::string>> partes = {{"[Content_Types].xml", kTipos},
                                                                   {"_rels/.rels", kRelsPacote},
                                                                   {"xl/workbook.xml", kLivro},
                                                                   {"xl/_rels/workbook.xml.rels", kRelsLivro},
                                                                   {"xl/styles.xml", kEstilos},
                                                                   {"xl/worksheets/sheet1.xml", FolhaXml(linhas)}};
  // Written beside the target and moved over it, so a failed save never leaves half a copy.
  const std::string temporario = arquivo + ".gravando";
  int erro = 0;
  zip_t* z = zip_open(temporario.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
  if (!z) NaoGravou(arquivo, "a pasta não pôde ser criada");
  for (const auto& [nome, texto] : partes) {
    zip_source_t* src = zip_source_buffer(z, texto.data(), texto.size(), 0);
    if (!src || zip_file_add(z, nome, src, ZIP_FL_OVERWRITE) < 0) {
      if (src) zip_source_free(src);
      zip_discard(z);
      NaoGravou(arquivo, "a parte " + std::string(nome) + " não pôde ser escrita");
    }
  }
  if (zip_close(z) != 0) {
    zip_discard(z);
    std::error_code ec;
    std::filesystem::remove(temporario, ec);
    NaoGravou(arquivo, "a pasta não pôde ser fechada");
  }
  std::error_code ec;
  std::filesystem::rename(temporario, arquivo, ec);
  if (ec) {
    std::filesystem::remove(temporario, ec);
    NaoGravou(arquivo, ec.message());
  }
}

}  // namespace vyn
