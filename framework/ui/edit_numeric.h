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
  void SetTamanho(int digits) { SetMaxLength(digits); }

  // The value of the text; empty is zero; text that is not a number throws EValidationError.
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
};

}  // namespace vyn
