// The receipt reader: a page's text (after the first byte, which picks the field's kind and line) is
// searched for a label and its value read as the kind says; an amount it finds reads as money or is
// refused. It never crashes, whatever the page holds.
#include <cstdint>
#include <string>

#include "bankstatement/uImportacaoCompPagto.h"
#include "framework/accounting/config_imp_pdf_mgr.h"
#include "framework/core/currency.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
  if (tamanho == 0) return 0;
  const auto tipo = static_cast<vyn::TTypeEdits>(dados[0] % 5);
  const int linha = (dados[0] / 5) % 2;
  const std::string texto(reinterpret_cast<const char*>(dados) + 1, tamanho - 1);
  // The label is the page's first word, as a layout names a label the receipt prints.
  const std::string rotulo = texto.substr(0, texto.find_first_of(" \n"));
  std::string valor;
  vyn::TVZEL_TCONFIG_IMP_PDFMGR::FindInPDF(rotulo, texto, linha, tipo, valor);
  vyn::Currency dinheiro;
  if (tipo == vyn::teValor || tipo == vyn::teValorPago) integracao::ValorComprovante(valor, dinheiro);
  return 0;
}
