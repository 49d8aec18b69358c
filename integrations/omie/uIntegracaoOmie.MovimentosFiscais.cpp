#include "integrations/omie/uIntegracaoOmie.MovimentosFiscais.h"

#include <cctype>
#include <cstdint>

#include "framework/core/text.h"

namespace integracao {

using namespace vyn;

namespace {

bool Referencia(const std::string& nome, std::string& out) {
  static const std::pair<const char*, uint32_t> kNomes[] = {
      {"lt", '<'},     {"gt", '>'},      {"amp", '&'},     {"quot", '"'},    {"apos", '\''},  {"nbsp", 0xA0},
      {"aacute", 0xE1}, {"eacute", 0xE9}, {"iacute", 0xED}, {"oacute", 0xF3}, {"uacute", 0xFA}, {"atilde", 0xE3},
      {"otilde", 0xF5}, {"ccedil", 0xE7}, {"acirc", 0xE2},  {"ecirc", 0xEA},  {"ocirc", 0xF4},  {"agrave", 0xE0},
      {"Aacute", 0xC1}, {"Eacute", 0xC9}, {"Iacute", 0xCD}, {"Oacute", 0xD3}, {"Uacute", 0xDA}, {"Atilde", 0xC3},
      {"Otilde", 0xD5}, {"Ccedil", 0xC7}, {"Acirc", 0xC2},  {"Ecirc", 0xCA},  {"Ocirc", 0xD4},  {"Agrave", 0xC0}};
  uint32_t cp = 0;
  if (!nome.empty() && nome[0] == '#') {
    const bool hex = nome.size() > 1 && (nome[1] == 'x' || nome[1] == 'X');
    const std::string dig = nome.substr(hex ? 2 : 1);
    if (dig.empty() || dig.size() > 6) return false;
    for (char c : dig) {
      const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : hex && std::isxdigit(static_cast<unsigned char>(c)) ? (std::tolower(c) - 'a' + 10)
                                                                           : -1;
      if (v < 0) return false;
      cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(v);
    }
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  } else {
    bool achou = false;
    for (const auto& [n, v] : kNomes) {
      if (nome == n) {
        cp = v;
        achou = true;
        break;
      }
    }
    if (!achou) return false;
  }
  AppendUtf8(out, static_cast<char32_t>(cp));
  return true;
}

}  // namespace

std::string CaracterHTMLtoString(const std::string& texto) {
  std::string out;
  out.reserve(texto.size());
  for (size_t i = 0; i < texto.size(); ++i) {
    if (texto[i] == '&') {
      const size_t fim = texto.find(';', i + 1);
      if (fim != std::string::npos && fim - i <= 10 && Referencia(texto.substr(i + 1, fim - i - 1), out)) {
        i = fim;
        continue;
      }
    }
    out += texto[i];
  }
  return out;
}

void TMovimentosFiscais::FromJSON(const TJsonOmie& o) {
  FStatus = LeTextoOmie(o, "cStatus");
  FXML = CaracterHTMLtoString(LeTextoOmie(o, "cXml"));
  if (FStatus == "10") FXML = ReplaceAll(FXML, "<cStat>100</cStat>", "<cStat>101</cStat>");
  FChaveNFe = LeTextoOmie(o, "nChave");
  FIdNF = LeTextoOmie(o, "nIdNF");
  FIdPedido = LeTextoOmie(o, "nIdPedido");
  FNumero = LeTextoOmie(o, "nNumero");
}

TRetornoOmieLista<TMovimentosFiscais>* TIntegracaoOmieMovimentosFiscais_VYN::GetMovimentosDaReferencia(
    TDateTime prDataInicial, TDateTime prDataFinal, const std::string& prModelo, const std::string& prOperacao) {
  TJsonOmie param = TJsonOmie::object();
  param["cModelo"] = prModelo;
  param["cOperacao"] = prOperacao;
  param["dEmiInicial"] = DateToStr(prDataInicial);
  param["dEmiFinal"] = DateToStr(prDataFinal);
  return RealizaConsultaPaginada("ListarDocumentos", "documentosEncontrados", param, "nPagina", "nRegPorPagina",
                                 "nTotPaginas");
}

}  // namespace integracao
