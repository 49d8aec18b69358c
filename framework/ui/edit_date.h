#pragma once
// The date edit: a date (DD/MM/YYYY) or a reference month (MM/YYYY); it may be empty.
#include <string>

#include "framework/core/datetime.h"
#include "framework/ui/edit.h"

namespace vyn {

// tdDataInteiro names the whole date (day, month and year) where a task switches an edit back from a
// month: it is the same mode as tdData.
enum TTipoData { tdData, tdReferencia, tdDataInteiro = tdData };

class TEdit_Date_Padrao_VYN : public TEdit_String_Padrao {
 public:
  explicit TEdit_Date_Padrao_VYN(TComponent* owner = nullptr, TTipoData tipo = tdData);
  std::string ClassName() const override { return "TEdit_Date_Padrao_VYN"; }

  TTipoData Tipo() const { return tipo_; }
  void SetTipo(TTipoData t) { tipo_ = t; }
  bool AceitaVazio = true;

  bool IsEmpty() const;
  // Whether the text is empty or a real date / month.
  bool IsValid() const;
  // The date; a reference gives its first day; empty gives 0. Invalid text throws EValidationError.
  TDateTime GetData() const;
  TDateTime GetDataUltimoDia() const;             // a reference gives its last day
  int GetData_AnoMes() const;                      // YYYYMM; 0 when empty
  int GetData_AnoMesBD() const { return GetData_AnoMes(); }
  std::string GetData_MesAno() const;              // "MM/YYYY"; "" when empty
  std::string GetData_DiaMesAnoUltimoDia() const;  // "DD/MM/YYYY" of the last day of the month
  void SetData(TDateTime d);                       // 0 empties
  void SetData_AnoMes(int yyyymm);                 // 0 empties

 protected:
  // Invalid text (or empty when not accepted) raises EValidationError; the focus stays.
  void DoExit() override;

 private:
  TTipoData tipo_;
};

}  // namespace vyn
