#pragma once
// A field or parameter value: null, Boolean, integer, money, float, text or date.
#include <cstdint>
#include <string>
#include <variant>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"

namespace vyn {

class EVariantError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class VarType { Null, Bool, Int, Currency, Double, String, DateTime };

class Variant {
 public:
  Variant() = default;
  Variant(std::nullptr_t) {}
  Variant(bool v) : v_(v) {}
  Variant(int v) : v_(static_cast<int64_t>(v)) {}
  Variant(long v) : v_(static_cast<int64_t>(v)) {}
  Variant(long long v) : v_(static_cast<int64_t>(v)) {}
  Variant(Currency v) : v_(v) {}
  Variant(double v) : v_(v) {}
  Variant(std::string v) : v_(std::move(v)) {}
  Variant(const char* v) : v_(std::string(v)) {}
  Variant(std::string_view v) : v_(std::string(v)) {}
  Variant(TDateTime v) : v_(v) {}

  VarType Type() const { return static_cast<VarType>(v_.index()); }
  bool IsNull() const { return v_.index() == 0; }

  // Conversions as the suite's fields do them: null gives 0 / "" / false; text is parsed
  // (a text that is not a number throws EVariantError naming it, never a silent 0).
  bool AsBoolean() const;       // also 'TRUE'/'FALSE' (any case), "1"/"0"
  int64_t AsInteger() const;    // Currency/double must be whole, else throws
  Currency AsCurrency() const;
  double AsFloat() const;
  std::string AsString() const; // Currency as SQL text trimmed ("12.5"), dates as DD/MM/YYYY
  TDateTime AsDateTime() const; // text as DD/MM/YYYY or YYYY-MM-DD

  // Equality of values of comparable kinds (numbers with numbers, text with text, null with null).
  bool operator==(const Variant& o) const;
  // Total order used by indexes and filters: null first, then numbers, dates, text (text compared
  // without regard to case and accents, as the WIN_PTBR collation does). Returns <0, 0, >0.
  static int Compare(const Variant& a, const Variant& b);

  const std::variant<std::monostate, bool, int64_t, Currency, double, std::string, TDateTime>& Raw() const {
    return v_;
  }

 private:
  std::variant<std::monostate, bool, int64_t, Currency, double, std::string, TDateTime> v_;
};

}  // namespace vyn
