#pragma once
// Plain values boxed as components, as they travel in a TListaObj or are held by a screen, and
// the value helpers the suite keeps on their classes.
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/component/component.h"
#include "framework/core/currency.h"
#include "framework/core/datetime.h"

namespace vyn {

class TInteger_VYN : public TComponent {
 public:
  explicit TInteger_VYN(TComponent* owner = nullptr, int value = 0) : TComponent(owner), value_(value) {}
  std::string ClassName() const override { return "TInteger_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;
  int Value() const { return value_; }
  void SetValue(int v) { value_ = v; }

 private:
  int value_;
};

class TString_VYN : public TComponent {
 public:
  explicit TString_VYN(TComponent* owner = nullptr, std::string value = {})
      : TComponent(owner), value_(std::move(value)) {}
  std::string ClassName() const override { return "TString_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;
  const std::string& Value() const { return value_; }
  void SetValue(std::string v) { value_ = std::move(v); }

  // The number with leading zeros to `width`, with `decimals` places after a '.'.
  static std::string GetStrZero(long long value, int width, int decimals = 0);
  static std::string GetStrZero(Currency value, int width, int decimals = 0);
  static std::string GetRetornaSoNumeros(std::string_view text);
  // Without punctuation; letters, digits, blanks and other characters stay.
  static std::string GetTiraTodosSinais(std::string_view text);
  // Without accents and anything but ASCII letters and digits; blanks kept when keep_spaces.
  static std::string GetRemoveTodosCaracteresEspeciais(std::string_view text, bool keep_spaces);
  // The plain text of the value as a stored service password, through the process context's decipher.
  std::string GetDescriptografa() const;

 private:
  std::string value_;
};

class TDateTime_VYN : public TComponent {
 public:
  explicit TDateTime_VYN(TComponent* owner = nullptr, TDateTime value = {}) : TComponent(owner), value_(value) {}
  std::string ClassName() const override { return "TDateTime_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;
  TDateTime Value() const { return value_; }
  void SetValue(TDateTime v) { value_ = v; }

  static int GetAnoMes(TDateTime d);                        // YYYYMM
  static std::string GetDBDataQuoted(TDateTime d);          // '2024-03-05'
  static TDateTime GetDataPrimeiroDia(int yyyymm);
  static TDateTime GetDataUltimoDia(int yyyymm);
  static TDateTime GetUltimoDiaData(const TComponent* owner, int yyyymm) { return GetDataUltimoDia(yyyymm); }
  static int GetDecRef(int yyyymm, int months);             // the reference `months` earlier
  static int GetDecMesRef(int yyyymm, int months) { return GetDecRef(yyyymm, months); }
  static std::string GetRefComBarras(int yyyymm);           // "03/2024"
  static int GetTrimestreRef(int yyyymm);                   // quarter, 1 to 4
  static std::string GetMesExtenso(int month, bool abbreviated);  // "Março" / "Mar"
  // Format 3: month and year ("03/2024", 202403); format 4: the date ("05/03/2024").
  static std::string GetParseToStr(TDateTime d, int format);
  static int GetParseToInt(TDateTime d, int format);
  std::string GetParseToStr(int format) const { return GetParseToStr(value_, format); }
  int GetParseToInt(int format) const { return GetParseToInt(value_, format); }

 private:
  TDateTime value_;
};

class TNumeric_VYN : public TComponent {
 public:
  explicit TNumeric_VYN(TComponent* owner = nullptr, Currency value = {}) : TComponent(owner), value_(value) {}
  std::string ClassName() const override { return "TNumeric_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;
  Currency Value() const { return value_; }
  void SetValue(Currency v) { value_ = v; }

 private:
  Currency value_;
};

class TBoolean_VYN : public TComponent {
 public:
  explicit TBoolean_VYN(TComponent* owner = nullptr, bool value = false) : TComponent(owner), value_(value) {}
  std::string ClassName() const override { return "TBoolean_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;
  bool Value() const { return value_; }
  void SetValue(bool v) { value_ = v; }

  // How flags are stored: the text TRUE or FALSE (without quotes).
  static std::string BoolToStrBD(bool v) { return v ? "TRUE" : "FALSE"; }

 private:
  bool value_;
};

}  // namespace vyn
