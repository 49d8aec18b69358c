#pragma once
// The one place where values become SQL text, for statements built by concatenation. Anything a user
// or a peer typed goes through QuotedStr (or, better, a bound parameter).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/variant.h"

namespace vyn {

std::string QuotedStr(std::string_view s);          // 'O''Brien'
std::string SQLDate(TDateTime d);                    // '2024-03-05'
std::string SQLDateTime(TDateTime d);                // '2024-03-05 14:07:09.000'
std::string SQLCurrency(Currency c);                 // 1234.5600
std::string SQLFlag(bool b);                         // 'TRUE' / 'FALSE'
std::string SQLInteger(int64_t n);                   // 42
// Any value as an SQL literal: NULL, numbers, quoted text, quoted dates, flags as 'TRUE'/'FALSE'.
std::string SQLValue(const Variant& v);

// "1, 2, 3" for IN (...); an empty list gives "NULL" so that IN (NULL) matches nothing.
std::string SQLInList(const std::vector<int64_t>& keys);
std::string SQLInList(const std::vector<int>& keys);
std::string SQLInList(const std::vector<std::string>& texts);   // each quoted

// Statements are limited to 64 KB: long key lists go in chunks of at most chunk keys.
template <class T>
std::vector<std::vector<T>> SplitKeyList(const std::vector<T>& keys, size_t chunk = 500) {
  std::vector<std::vector<T>> out;
  if (chunk == 0) chunk = 1;
  for (size_t i = 0; i < keys.size(); i += chunk)
    out.emplace_back(keys.begin() + static_cast<std::ptrdiff_t>(i),
                     keys.begin() + static_cast<std::ptrdiff_t>(std::min(keys.size(), i + chunk)));
  return out;
}

// Table, column and alias names that reach statement text (a work table, a column a caller names):
// Firebird's plain identifier, a letter followed by letters, digits, '_' or '$', at most 63 bytes. A
// quote, a space, ';' or a comment mark is refused, so a name never carries a statement of its own.
bool IsSQLIdentifier(std::string_view name);
// `name` when it is an identifier; otherwise throws E(what + name), E being the error type the
// caller's own contract promises.
template <class E>
const std::string& CheckSQLIdentifier(const std::string& name, std::string_view what) {
  if (!IsSQLIdentifier(name)) throw E(std::string(what) + name);
  return name;
}

// "(column IN (1, 2) OR column IN (3, 4))" over chunks; "(1 = 0)" for an empty list.
std::string SQLInCondition(const std::string& column, const std::vector<int64_t>& keys, size_t chunk = 500);

}  // namespace vyn
