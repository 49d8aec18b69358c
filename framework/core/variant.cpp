#include "framework/core/variant.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>

#include "framework/core/text.h"

namespace vyn {

namespace {

__extension__ typedef __int128 i128;

[[noreturn]] void NotA(const char* kind, std::string_view text) {
  throw EVariantError(fmt::format("\"{}\" não é {} válido", text, kind));
}

bool IsNumber(VarType t) {
  return t == VarType::Bool || t == VarType::Int || t == VarType::Currency || t == VarType::Double;
}

int Rank(VarType t) {
  if (t == VarType::Null) return 0;
  if (IsNumber(t)) return 1;
  if (t == VarType::DateTime) return 2;
  return 3;
}

// Exact value in 1/10,000 units for the non-double numbers.
i128 Scaled(const Variant& v) {
  switch (v.Type()) {
    case VarType::Bool: return std::get<bool>(v.Raw()) ? Currency::kScale : 0;
    case VarType::Int: return static_cast<i128>(std::get<int64_t>(v.Raw())) * Currency::kScale;
    case VarType::Currency: return std::get<Currency>(v.Raw()).Raw();
    default: return 0;
  }
}

long double AsLongDouble(const Variant& v) {
  if (v.Type() == VarType::Double) return std::get<double>(v.Raw());
  return static_cast<long double>(Scaled(v)) / Currency::kScale;
}

int CompareNumbers(const Variant& a, const Variant& b) {
  if (a.Type() == VarType::Double || b.Type() == VarType::Double) {
    long double x = AsLongDouble(a), y = AsLongDouble(b);
    bool nx = std::isnan(x), ny = std::isnan(y);
    if (nx || ny) return nx == ny ? 0 : nx ? -1 : 1;
    return x < y ? -1 : x > y ? 1 : 0;
  }
  i128 x = Scaled(a), y = Scaled(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace

bool Variant::AsBoolean() const {
  switch (Type()) {
    case VarType::Null: return false;
    case VarType::Bool: return std::get<bool>(v_);
    case VarType::Int: return std::get<int64_t>(v_) != 0;
    case VarType::Currency: return !std::get<Currency>(v_).IsZero();
    case VarType::Double: return std::get<double>(v_) != 0;
    case VarType::String: {
      std::string s = UpperCase(Trim(std::get<std::string>(v_)));
      if (s == "TRUE" || s == "1") return true;
      if (s == "FALSE" || s == "0") return false;
      NotA("um valor lógico", std::get<std::string>(v_));
    }
    case VarType::DateTime: break;
  }
  throw EVariantError("Data não é um valor lógico");
}

int64_t Variant::AsInteger() const {
  switch (Type()) {
    case VarType::Null: return 0;
    case VarType::Bool: return std::get<bool>(v_) ? 1 : 0;
    case VarType::Int: return std::get<int64_t>(v_);
    case VarType::Currency: {
      Currency c = std::get<Currency>(v_);
      if (c.Raw() % Currency::kScale != 0) NotA("um inteiro", c.ToJSON());
      return c.Raw() / Currency::kScale;
    }
    case VarType::Double: {
      double d = std::get<double>(v_);
      if (!(std::trunc(d) == d) || d < -9.2e18 || d > 9.2e18) NotA("um inteiro", fmt::format("{}", d));
      return static_cast<int64_t>(d);
    }
    case VarType::String: {
      const std::string& raw = std::get<std::string>(v_);
      std::string s = Trim(raw);
      if (const auto n = WholeInteger(!s.empty() && s.front() == '+' ? std::string_view(s).substr(1) : s)) return *n;
      Currency c;
      if (Currency::TryParse(s, c) && c.Raw() % Currency::kScale == 0) return c.Raw() / Currency::kScale;
      NotA("um inteiro", raw);
    }
    case VarType::DateTime: {
      TDateTime d = std::get<TDateTime>(v_);
      if (d.DateOnly() != d) NotA("um inteiro", DateTimeToStr(d));
      return d.Days();
    }
  }
  return 0;
}

Currency Variant::AsCurrency() const {
  switch (Type()) {
    case VarType::Null: return Currency();
    case VarType::Bool: return Currency::FromInt(std::get<bool>(v_) ? 1 : 0);
    case VarType::Int: return Currency::FromInt(std::get<int64_t>(v_));
    case VarType::Currency: return std::get<Currency>(v_);
    case VarType::Double: return Currency::FromDouble(std::get<double>(v_));
    case VarType::String: {
      Currency c;
      if (!Currency::TryParse(std::get<std::string>(v_), c)) NotA("um valor", std::get<std::string>(v_));
      return c;
    }
    case VarType::DateTime: break;
  }
  throw EVariantError(fmt::format("Data não é um valor: {}", DateTimeToStr(std::get<TDateTime>(v_))));
}

double Variant::AsFloat() const {
  switch (Type()) {
    case VarType::Null: return 0;
    case VarType::Bool: return std::get<bool>(v_) ? 1 : 0;
    case VarType::Int: return static_cast<double>(std::get<int64_t>(v_));
    case VarType::Currency: return std::get<Currency>(v_).ToDouble();
    case VarType::Double: return std::get<double>(v_);
    case VarType::String: {
      const std::string& raw = std::get<std::string>(v_);
      std::string s = Trim(raw);
      if (s.find(',') != std::string::npos) s = ReplaceAll(ReplaceAll(s, ".", ""), ",", ".");
      if (!s.empty() && s.front() == '+') s.erase(0, 1);
      double d = 0;
      auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
      if (s.empty() || ec != std::errc() || p != s.data() + s.size()) NotA("um número", raw);
      return d;
    }
    case VarType::DateTime: return std::get<TDateTime>(v_).Value;
  }
  return 0;
}

std::string Variant::AsString() const {
  switch (Type()) {
    case VarType::Null: return {};
    case VarType::Bool: return std::get<bool>(v_) ? "TRUE" : "FALSE";
    case VarType::Int: return fmt::format("{}", std::get<int64_t>(v_));
    case VarType::Currency: return std::get<Currency>(v_).ToJSON();
    case VarType::Double: return fmt::format("{}", std::get<double>(v_));
    case VarType::String: return std::get<std::string>(v_);
    case VarType::DateTime: {
      TDateTime d = std::get<TDateTime>(v_);
      return d.DateOnly() == d ? DateToStr(d) : DateTimeToStr(d);
    }
  }
  return {};
}

TDateTime Variant::AsDateTime() const {
  switch (Type()) {
    case VarType::Null: return TDateTime();
    case VarType::Bool: break;
    case VarType::Int: return TDateTime(static_cast<double>(std::get<int64_t>(v_)));
    case VarType::Currency: return TDateTime(std::get<Currency>(v_).ToDouble());
    case VarType::Double: return TDateTime(std::get<double>(v_));
    case VarType::String: {
      const std::string& s = std::get<std::string>(v_);
      TDateTime d;
      if (TryStrToDate(s, d)) return d;
      try {
        return SQLToDate(s);
      } catch (const EDateError&) {
        NotA("uma data", s);
      }
    }
    case VarType::DateTime: return std::get<TDateTime>(v_);
  }
  throw EVariantError("Valor lógico não é uma data");
}

// Text compares byte for byte here (a change of case is a change); ordering and filters use
// Compare, which follows the collation.
bool Variant::operator==(const Variant& o) const {
  VarType a = Type(), b = o.Type();
  if (IsNumber(a) && IsNumber(b)) return CompareNumbers(*this, o) == 0;
  if (a != b) return false;
  switch (a) {
    case VarType::Null: return true;
    case VarType::String: return std::get<std::string>(v_) == std::get<std::string>(o.v_);
    case VarType::DateTime: return std::get<TDateTime>(v_) == std::get<TDateTime>(o.v_);
    default: return false;
  }
}

int Variant::Compare(const Variant& a, const Variant& b) {
  int ra = Rank(a.Type()), rb = Rank(b.Type());
  if (ra != rb) return ra < rb ? -1 : 1;
  switch (ra) {
    case 0: return 0;
    case 1: return CompareNumbers(a, b);
    case 2: {
      double x = std::get<TDateTime>(a.v_).Value, y = std::get<TDateTime>(b.v_).Value;
      return x < y ? -1 : x > y ? 1 : 0;
    }
    default: return CompareTextPTBR(std::get<std::string>(a.v_), std::get<std::string>(b.v_));
  }
}

}  // namespace vyn
