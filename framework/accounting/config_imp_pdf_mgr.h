#pragma once
// The label layouts of bank payment receipts (view VZEL_TCONFIG_IMP_PDF) and the label search that
// reads a receipt's values from the text of a PDF page.
#include <string>

#include "framework/data/dao_factory.h"

namespace vyn {

class TRxRichEdit_VYN;

// What a label's value is read as.
enum TTypeEdits : int { teTitulo = 0, teCPFCNPJ = 1, teValor = 2, teValorPago = 3, teData = 4 };

class TVZEL_TCONFIG_IMP_PDFMGR : public TMgr<TVZEL_TCONFIG_IMP_PDFMGR> {
 public:
  explicit TVZEL_TCONFIG_IMP_PDFMGR(TComponent* owner = nullptr, bool = false)
      : TMgr(owner, "VZEL_TCONFIG_IMP_PDF") {}
  std::string ClassName() const override { return "TVZEL_TCONFIG_IMP_PDFMGR"; }

  // Finds the label in the text and puts into valor the value printed after it on the same line
  // (linha 0) or on the line below (linha 1, from the label's column on), read as the kind:
  // - teTitulo: the rest of the line, trimmed;
  // - teCPFCNPJ: the first CPF or CNPJ (11 or 14 digits, punctuated or not), as digits only;
  // - teValor, teValorPago: the first amount written with a decimal comma ("1.050,00", "-30,00"),
  //   as printed;
  // - teData: the first date written DD/MM/YYYY, as printed (not checked).
  // Where the label occurs more than once, the first occurrence followed by a value counts. Empty
  // when the label is empty, absent or has no value of the kind. The flags and the text control
  // of the framework's signature play no part.
  static void FindInPDF(const std::string& label, const std::string& texto, int linha, TTypeEdits tipo,
                        std::string& valor, bool = false, TRxRichEdit_VYN* = nullptr, bool = false);
};

}  // namespace vyn
