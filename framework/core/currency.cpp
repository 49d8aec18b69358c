#include "framework/core/currency.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>

namespace vyn {

namespace {

__extension__ typedef __int128 i128;  // wide enough for any product of two amounts

constexpr i128 kMin = std::numeric_limits<int64_t>::min();
constexpr i128 kMax = std::numeric_limits<int64_t>::max();

[[noreturn]] void Overflow(std::string_view what) {
  throw ECurrencyError(fmt::format("Valor monetário fora do limite: {}", what));
}

[[noreturn]] void Invalid(std::string_view text) {
  throw ECurrencyError(fmt::format("Valor monetário inválido: \"{}\"", text));
}

// what() names the operation; it is only formatted when the result does not fit.
template <class F>
int64_t Checked(i128 v, F&& what) {
  if (v < kMin || v > kMax) [[unlikely]] Overflow(what());
  return static_cast<int64_t>(v);
}

// n / d rounded half away from zero.
i128 DivRound(i128 n, i128 d) {
  i128 q = n / d;
  i128 r = n % d;
  if (r < 0) r = -r;
  i128 ad = d < 0 ? -d : d;
  if (2 * r >= ad) q += ((n < 0) != (d < 0)) ? -1 : 1;
  return q;
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits of the number without separators, the count of fraction digits and a decimal exponent;
// value = digits * 10^(exp - frac). Rounds half away from zero to four places.
int64_t FromDecimal(bool negative, std::string_view digits, int exp10, std::string_view original) {
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  if (digits.empty()) return 0;
  long long shift = static_cast<long long>(exp10) + 4;  // power of ten applied to the digits
  i128 v = 0;
  if (shift >= 0) {
    if (static_cast<long long>(digits.size()) + shift > 19) Overflow(original);
    for (char c : digits) v = v * 10 + (c - '0');
    for (long long i = 0; i < shift; ++i) v *= 10;
  } else {
    long long drop = -shift;
    long long keep = static_cast<long long>(digits.size()) - drop;
    if (keep > 19) Overflow(original);
    for (long long i = 0; i < keep; ++i) v = v * 10 + (digits[static_cast<size_t>(i)] - '0');
    if (keep >= 0 && digits[static_cast<size_t>(keep)] >= '5') v += 1;
  }
  if (negative) v = -v;
  return Checked(v, [&] { return original; });
}

// SQL / JSON number: [sign] digits [. digits] [e [sign] digits]
bool ParseSQLImpl(std::string_view original, int64_t& out) {
  std::string_view s = TrimSpaces(original);
  size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  std::string digits;
  int frac = 0;
  size_t ndigits = 0;
  while (i < s.size() && IsDigit(s[i])) { digits += s[i++]; ++ndigits; }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) { digits += s[i++]; ++frac; ++ndigits; }
  }
  if (ndigits == 0) return false;
  long long exp = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool eneg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) eneg = s[i++] == '-';
    size_t start = i;
    while (i < s.size() && IsDigit(s[i])) {
      if (exp < 100000) exp = exp * 10 + (s[i] - '0');
      ++i;
    }
    if (i == start) return false;
    if (eneg) exp = -exp;
  }
  if (i != s.size()) return false;
  out = FromDecimal(neg, digits, static_cast<int>(exp - frac), original);
  return true;
}

int64_t ParseBRImpl(std::string_view original) {
  std::string_view s = TrimSpaces(original);
  bool neg = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    neg = s.front() == '-';
    s = TrimSpaces(s.substr(1));
  }
  if (s.substr(0, 2) == "R$") {
    s = TrimSpaces(s.substr(2));
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
      if (neg) Invalid(original);
      neg = s.front() == '-';
      s = s.substr(1);
    }
  }
  size_t comma = s.find(',');
  std::string_view ip = s.substr(0, comma);
  std::string_view fp = comma == std::string_view::npos ? std::string_view{} : s.substr(comma + 1);
  if (comma != std::string_view::npos && fp.empty() && ip.empty()) Invalid(original);
  std::string digits;
  // Integer part: plain digits, or groups of three after the first separated by '.'.
  if (ip.find('.') != std::string_view::npos) {
    size_t pos = 0;
    bool first = true;
    while (true) {
      size_t dot = ip.find('.', pos);
      std::string_view g = ip.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos);
      if (g.empty() || (first ? g.size() > 3 : g.size() != 3)) Invalid(original);
      for (char c : g) {
        if (!IsDigit(c)) Invalid(original);
        digits += c;
      }
      first = false;
      if (dot == std::string_view::npos) break;
      pos = dot + 1;
    }
  } else {
    for (char c : ip) {
      if (!IsDigit(c)) Invalid(original);
      digits += c;
    }
  }
  for (char c : fp) {
    if (!IsDigit(c)) Invalid(original);
    digits += c;
  }
  if (digits.empty()) Invalid(original);
  return FromDecimal(neg, digits, -static_cast<int>(fp.size()), original);
}

std::string Digits(uint64_t v) { return fmt::format("{}", v); }

uint64_t AbsRaw(int64_t raw) {
  return raw < 0 ? static_cast<uint64_t>(0) - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
}

}  // namespace

Currency Currency::FromInt(int64_t whole) {
  return FromRaw(Checked(static_cast<i128>(whole) * kScale, [&] { return fmt::format("{}", whole); }));
}

Currency Currency::FromDouble(double v) {
  if (!std::isfinite(v)) throw ECurrencyError(fmt::format("Valor monetário inválido: {}", v));
  // The shortest text that reads back as v is what the value means to whoever wrote it;
  // rounding that text avoids binary artefacts (1.00005 stored as 1.0000499999...).
  return FromRaw(Parse(fmt::format("{}", v)).Raw());
}

Currency Currency::ParseSQL(std::string_view text) {
  int64_t raw = 0;
  if (!ParseSQLImpl(text, raw)) Invalid(text);
  return FromRaw(raw);
}

Currency Currency::ParseBR(std::string_view text) { return FromRaw(ParseBRImpl(text)); }

Currency Currency::Parse(std::string_view text) {
  return text.find(',') != std::string_view::npos ? ParseBR(text) : ParseSQL(text);
}

bool Currency::TryParse(std::string_view text, Currency& out) noexcept {
  try {
    out = Parse(text);
    return true;
  } catch (...) {
    return false;
  }
}

std::string Currency::ToSQL() const {
  uint64_t a = AbsRaw(raw_);
  return fmt::format("{}{}.{:04}", raw_ < 0 ? "-" : "", a / kScale, a % kScale);
}

std::string Currency::ToBR(int decimals) const {
  if (decimals < 0 || decimals > 4) throw ECurrencyError(fmt::format("Casas decimais inválidas: {}", decimals));
  i128 div = 1;
  for (int i = decimals; i < 4; ++i) div *= 10;
  i128 r = DivRound(raw_, div);  // in units of 10^-decimals
  bool neg = r < 0;
  if (neg) r = -r;
  i128 scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  std::string ip = Digits(static_cast<uint64_t>(r / scale));
  std::string grouped;
  for (size_t i = 0; i < ip.size(); ++i) {
    if (i > 0 && (ip.size() - i) % 3 == 0) grouped += '.';
    grouped += ip[i];
  }
  std::string out = (neg ? "-" : "") + grouped;
  if (decimals > 0) out += fmt::format(",{:0{}}", static_cast<uint64_t>(r % scale), decimals);
  return out;
}

std::string Currency::ToJSON() const {
  std::string s = ToSQL();
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

Currency Currency::RoundTo(int decimals) const {
  if (decimals < 0 || decimals > 4) throw ECurrencyError(fmt::format("Casas decimais inválidas: {}", decimals));
  i128 div = 1;
  for (int i = decimals; i < 4; ++i) div *= 10;
  return FromRaw(Checked(DivRound(raw_, div) * div, [this] { return ToSQL(); }));
}

Currency Currency::Abs() const { return raw_ < 0 ? -*this : *this; }

Currency Currency::operator-() const { return FromRaw(Checked(-static_cast<i128>(raw_), [this] { return ToSQL(); })); }

Currency Currency::operator+(Currency o) const {
  return FromRaw(Checked(static_cast<i128>(raw_) + o.raw_, [&] { return fmt::format("{} + {}", ToSQL(), o.ToSQL()); }));
}

Currency Currency::operator-(Currency o) const {
  return FromRaw(Checked(static_cast<i128>(raw_) - o.raw_, [&] { return fmt::format("{} - {}", ToSQL(), o.ToSQL()); }));
}

Currency Currency::operator*(Currency o) const {
  return FromRaw(Checked(DivRound(static_cast<i128>(raw_) * o.raw_, kScale),
                         [&] { return fmt::format("{} * {}", ToSQL(), o.ToSQL()); }));
}

Currency Currency::MulRound(Currency a, Currency b, int decimals) {
  if (decimals < 0 || decimals > 4) throw ECurrencyError(fmt::format("Casas decimais inválidas: {}", decimals));
  i128 div = kScale;  // the product is in units of 10^-8
  for (int i = decimals; i < 4; ++i) div *= 10;
  i128 units = DivRound(static_cast<i128>(a.raw_) * b.raw_, div);  // in units of 10^-decimals
  return FromRaw(Checked(units * (div / kScale), [&] { return fmt::format("{} * {}", a.ToSQL(), b.ToSQL()); }));
}

Currency Currency::operator*(int64_t n) const {
  return FromRaw(Checked(static_cast<i128>(raw_) * n, [&] { return fmt::format("{} * {}", ToSQL(), n); }));
}

Currency Currency::operator/(Currency o) const {
  if (o.raw_ == 0) throw ECurrencyError(fmt::format("Divisão por zero: {} / 0", ToSQL()));
  return FromRaw(Checked(DivRound(static_cast<i128>(raw_) * kScale, o.raw_),
                         [&] { return fmt::format("{} / {}", ToSQL(), o.ToSQL()); }));
}

Currency Currency::operator/(int64_t n) const {
  if (n == 0) throw ECurrencyError(fmt::format("Divisão por zero: {} / 0", ToSQL()));
  return FromRaw(Checked(DivRound(raw_, n), [&] { return fmt::format("{} / {}", ToSQL(), n); }));
}

}  // namespace vyn
