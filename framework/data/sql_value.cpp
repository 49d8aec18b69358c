#include "framework/data/sql_value.h"

#include <cctype>
#include <cmath>

#include "framework/core/text.h"

namespace vyn {

std::string QuotedStr(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  out += '\'';
  for (char c : s) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

std::string SQLDate(TDateTime d) { return "'" + DateToSQL(d) + "'"; }
std::string SQLDateTime(TDateTime d) { return "'" + DateTimeToSQL(d) + "'"; }
std::string SQLCurrency(Currency c) { return c.ToSQL(); }
std::string SQLFlag(bool b) { return b ? "'TRUE'" : "'FALSE'"; }
std::string SQLInteger(int64_t n) { return std::to_string(n); }

bool IsSQLIdentifier(std::string_view name) {
  if (name.empty() || name.size() > 63) return false;
  if (!std::isalpha(static_cast<unsigned char>(name.front()))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '$') return false;
  return true;
}

std::string SQLValue(const Variant& v) {
  switch (v.Type()) {
    case VarType::Null: return "NULL";
    case VarType::Bool: return SQLFlag(v.AsBoolean());
    case VarType::Int: return SQLInteger(v.AsInteger());
    case VarType::Currency: return SQLCurrency(v.AsCurrency());
    case VarType::Double: {
      double d = v.AsFloat();
      if (!std::isfinite(d)) return "NULL";
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.17g", d);
      return buf;
    }
    case VarType::DateTime: {
      TDateTime d = v.AsDateTime();
      return d.Value == std::floor(d.Value) ? SQLDate(d) : SQLDateTime(d);
    }
    case VarType::String: return QuotedStr(v.AsString());
  }
  return "NULL";
}

std::string SQLInList(const std::vector<int64_t>& keys) {
  if (keys.empty()) return "NULL";
  std::string out;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i) out += ", ";
    out += std::to_string(keys[i]);
  }
  return out;
}

std::string SQLInList(const std::vector<int>& keys) {
  return SQLInList(std::vector<int64_t>(keys.begin(), keys.end()));
}

std::string SQLInList(const std::vector<std::string>& texts) {
  if (texts.empty()) return "NULL";
  std::string out;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i) out += ", ";
    out += QuotedStr(texts[i]);
  }
  return out;
}

std::string SQLInCondition(const std::string& column, const std::vector<int64_t>& keys, size_t chunk) {
  if (keys.empty()) return "(1 = 0)";
  std::string out = "(";
  bool first = true;
  for (const auto& part : SplitKeyList(keys, chunk)) {
    if (!first) out += " OR ";
    first = false;
    out += column + " IN (" + SQLInList(part) + ")";
  }
  return out + ")";
}

}  // namespace vyn
