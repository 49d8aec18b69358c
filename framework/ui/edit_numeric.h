#pragma once
// The numeric edit: a Currency value shown with a fixed number of decimals ("0,00").
#include <string>

#include "framework/core/currency.h"
#include "framework/ui/edit.h"

namespace vyn {

class TEdit_Numerico_Padrao_VYN : public TEdit_String_Padrao {
 public:
  explicit TEdit_Numerico_Padrao_VYN(TComponent* owner = nullptr, int casas = 2);
  std::string ClassName() const override { return "TEdit_Numerico_Padrao_VYN"; }

  int Casas() const { return casas_; }
  void SetDecimais(int casas);            // 0..4; the text is reformatted
  // The most digits before the decimal comma (0: any). Not a cut of the text: the text carries
  // thousands dots and decimals, and a value cut short would be another value.
  void SetTamanho(int digits) { digitos_ = digits < 0 ? 0 : digits; }
  int Tamanho() const { return digitos_; }
  // False: a value below zero is refused.
  bool AceitaNegativo = true;

  // The value of the text; empty is zero; text that is not a number, a value with more digits than
  // the edit holds or a refused negative throws EValidationError with the reason.
  Currency Value() const;
  bool IsValid() const;
  // Shows the value rounded to the decimals ("1.234,56").
  void SetValue(Currency v);
  int64_t ValorInteger() const;           // the value without its decimals

 protected:
  // A text that is not a number raises EValidationError; a good one is reformatted.
  void DoExit() override;

 private:
  int casas_;
  int digitos_ = 0;
};

}  // namespace vyn
