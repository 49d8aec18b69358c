#include "framework/ui/edit_date.h"

#include "framework/core/text.h"

namespace vyn {

TEdit_Date_Padrao_VYN::TEdit_Date_Padrao_VYN(TComponent* owner, TTipoData tipo)
    : TEdit_String_Padrao(owner), tipo_(tipo) {}

namespace {
// The text without the mask's blanks and separators: "  /  /    " is empty.
bool Blank(const std::string& t) {
  for (char c : t)
    if (c != ' ' && c != '/' && c != '_') return false;
  return true;
}
}  // namespace

bool TEdit_Date_Padrao_VYN::IsEmpty() const { return Blank(Text()); }

bool TEdit_Date_Padrao_VYN::IsValid() const {
  if (IsEmpty()) return true;
  std::string t = Trim(Text());
  if (tipo_ == tdReferencia) {
    try {
      return IsValidAnoMes(TextToAnoMes(t));
    } catch (const std::exception&) {
      return false;
    }
  }
  TDateTime d;
  return TryStrToDate(t, d);
}

TDateTime TEdit_Date_Padrao_VYN::GetData() const {
  if (IsEmpty()) return TDateTime();
  if (!IsValid()) throw EValidationError("\"" + Text() + "\" não é uma data válida");
  std::string t = Trim(Text());
  if (tipo_ == tdReferencia) return FirstDayOfAnoMes(TextToAnoMes(t));
  return StrToDate(t);
}

TDateTime TEdit_Date_Padrao_VYN::GetDataUltimoDia() const {
  if (IsEmpty()) return TDateTime();
  return EndOfTheMonth(GetData());
}

int TEdit_Date_Padrao_VYN::GetData_AnoMes() const { return IsEmpty() ? 0 : AnoMes(GetData()); }

std::string TEdit_Date_Padrao_VYN::GetData_MesAno() const {
  return IsEmpty() ? std::string() : AnoMesToText(GetData_AnoMes());
}

std::string TEdit_Date_Padrao_VYN::GetData_DiaMesAnoUltimoDia() const {
  return IsEmpty() ? std::string() : DateToStr(GetDataUltimoDia());
}

void TEdit_Date_Padrao_VYN::SetData(TDateTime d) {
  if (d.Days() == 0) {
    SetText("");
    return;
  }
  SetText(tipo_ == tdReferencia ? AnoMesToText(AnoMes(d)) : DateToStr(d));
}

void TEdit_Date_Padrao_VYN::SetData_AnoMes(int yyyymm) {
  if (yyyymm == 0) {
    SetText("");
    return;
  }
  SetData(FirstDayOfAnoMes(yyyymm));
}

void TEdit_Date_Padrao_VYN::DoExit() {
  if (!IsValid()) throw EValidationError("\"" + Text() + "\" não é uma data válida");
  if (IsEmpty() && !AceitaVazio) throw EValidationError("Informe a data");
  TEdit_String_Padrao::DoExit();
}

}  // namespace vyn
