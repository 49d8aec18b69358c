#pragma once
// Money as the suite keeps it: a fixed-point value in units of 1/10,000, exact.
#include <compare>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vyn {

class ECurrencyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Currency {
 public:
  static constexpr int64_t kScale = 10000;

  constexpr Currency() = default;
  static constexpr Currency FromRaw(int64_t units) { Currency c; c.raw_ = units; return c; }
  static Currency FromInt(int64_t whole);            // throws on overflow
  // Nearest representable value (half away from zero); NaN/inf/out of range throw.
  static Currency FromDouble(double v);

  // "1234.5600", "-12.5", "1234" (SQL and JSON number text).
  static Currency ParseSQL(std::string_view text);
  // pt-BR "1.234,56", "-1234,5", "R$ 1.234,56" tolerated with surrounding spaces.
  static Currency ParseBR(std::string_view text);
  // Either form: a text with a comma is pt-BR, otherwise SQL.
  static Currency Parse(std::string_view text);
  static bool TryParse(std::string_view text, Currency& out) noexcept;

  constexpr int64_t Raw() const { return raw_; }
  double ToDouble() const { return static_cast<double>(raw_) / kScale; }
  constexpr bool IsZero() const { return raw_ == 0; }

  std::string ToSQL() const;                         // "1234.5600"
  std::string ToBR(int decimals = 2) const;          // "1.234,56" (rounded to decimals)
  std::string ToJSON() const;                        // shortest exact: "1234.56", "-0.5", "12"

  Currency RoundTo(int decimals) const;              // 0..4 places, half away from zero
  Currency Round2() const { return RoundTo(2); }
  Currency Abs() const;

  Currency operator-() const;
  Currency operator+(Currency o) const;
  Currency operator-(Currency o) const;
  Currency operator*(Currency o) const;              // rounded to 4 places, half away from zero
  Currency operator*(int64_t n) const;
  // a x b rounded once to decimals (0..4) places, half away from zero: the exact product is never
  // rounded to 4 places first.
  static Currency MulRound(Currency a, Currency b, int decimals);
  Currency operator/(Currency o) const;              // rounded to 4 places; division by zero throws
  Currency operator/(int64_t n) const;
  Currency& operator+=(Currency o) { return *this = *this + o; }
  Currency& operator-=(Currency o) { return *this = *this - o; }

  constexpr auto operator<=>(const Currency&) const = default;
  constexpr bool operator==(const Currency&) const = default;

 private:
  int64_t raw_ = 0;
};

}  // namespace vyn
