#include "framework/ui/edit_numeric.h"

#include <cstdlib>
#include <string>

#include "framework/core/text.h"

namespace vyn {

TEdit_Numerico_Padrao_VYN::TEdit_Numerico_Padrao_VYN(TComponent* owner, int casas)
    : TEdit_String_Padrao(owner), casas_(casas < 0 ? 0 : (casas > 4 ? 4 : casas)) {
  SetText(Currency().ToBR(casas_));
  SetModified(false);
}

void TEdit_Numerico_Padrao_VYN::SetDecimais(int casas) {
  Currency v = IsValid() ? Value() : Currency();
  casas_ = casas < 0 ? 0 : (casas > 4 ? 4 : casas);
  SetValue(v);
}

bool TEdit_Numerico_Padrao_VYN::IsValid() const {
  try {
    Value();
    return true;
  } catch (const EValidationError&) {
    return false;
  }
}

Currency TEdit_Numerico_Padrao_VYN::Value() const {
  std::string t = Trim(Text());
  if (t.empty()) return Currency();
  Currency c;
  // The edit shows pt-BR text: "1.234" is a thousand, not one and a bit.
  try {
    c = Currency::ParseBR(t);
  } catch (const std::exception&) {
    throw EValidationError("\"" + Text() + "\" não é um número válido");
  }
  c = c.RoundTo(casas_);
  if (!AceitaNegativo && c < Currency())
    throw EValidationError("\"" + Text() + "\" não é aceito: o campo não aceita valores negativos");
  if (digitos_ > 0 && std::to_string(std::llabs(c.Raw() / Currency::kScale)).size() > static_cast<size_t>(digitos_))
    throw EValidationError("\"" + Text() + "\" não é aceito: o campo aceita no máximo " + std::to_string(digitos_) +
                           " dígitos antes da vírgula");
  return c;
}

void TEdit_Numerico_Padrao_VYN::SetValue(Currency v) { SetText(v.ToBR(casas_)); }

int64_t TEdit_Numerico_Padrao_VYN::ValorInteger() const { return Value().Raw() / Currency::kScale; }

void TEdit_Numerico_Padrao_VYN::DoExit() {
  SetValue(Value());  // throws on bad text
  TEdit_String_Padrao::DoExit();
}

}  // namespace vyn
