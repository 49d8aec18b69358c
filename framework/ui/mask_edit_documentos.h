#pragma once
// The registry-number edit (CNPJ, CPF): the user types with or without punctuation; the text without
// the mask is its digits.
#include <string>

#include "framework/core/text.h"
#include "framework/ui/edit.h"

namespace vyn {

class TMaskEdit_Documentos_VYN : public TEdit_String_Padrao {
 public:
  using TEdit_String_Padrao::TEdit_String_Padrao;
  std::string ClassName() const override { return "TMaskEdit_Documentos_VYN"; }
  std::string GetTextSemMascara() const { return OnlyDigits(Text()); }
};

}  // namespace vyn
