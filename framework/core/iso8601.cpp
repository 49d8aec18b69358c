#include "framework/core/iso8601.h"

#include <cctype>
#include <string>

namespace vyn {

namespace {

bool Digitos(std::string_view s, size_t pos, size_t n, int& out) {
  if (pos + n > s.size()) return false;
  int v = 0;
  for (size_t i = pos; i < pos + n; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    v = v * 10 + (s[i] - '0');
  }
  out = v;
  return true;
}

}  // namespace

bool TryISO8601ToDateUTC(std::string_view s, TDateTime& out) noexcept {
  try {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0, ms = 0;
    if (!Digitos(s, 0, 4, y) || s.size() < 10 || s[4] != '-' || !Digitos(s, 5, 2, mo) || s[7] != '-' ||
        !Digitos(s, 8, 2, d) || !IsValidDate(y, mo, d))
      return false;
    size_t p = 10;
    int offset = 0;   // minutes east of UTC
    if (p < s.size()) {
      if (s[p] != 'T' && s[p] != 't' && s[p] != ' ') return false;
      if (!Digitos(s, p + 1, 2, h) || p + 3 >= s.size() || s[p + 3] != ':' || !Digitos(s, p + 4, 2, mi)) return false;
      p += 6;
      if (p < s.size() && s[p] == ':') {
        if (!Digitos(s, p + 1, 2, se)) return false;
        p += 3;
        if (p < s.size() && (s[p] == '.' || s[p] == ',')) {
          size_t q = p + 1;
          int casas = 0;
          while (q < s.size() && std::isdigit(static_cast<unsigned char>(s[q]))) {
            if (casas < 3) ms = ms * 10 + (s[q] - '0');
            ++casas;
            ++q;
          }
          if (casas == 0) return false;
          for (int c = casas; c < 3; ++c) ms *= 10;
          p = q;
        }
      }
      if (h > 23 || mi > 59 || se > 59) return false;
      if (p < s.size()) {
        if ((s[p] == 'Z' || s[p] == 'z') && p + 1 == s.size()) {
          p = s.size();
        } else if (s[p] == '+' || s[p] == '-') {
          int oh = 0, om = 0;
          if (!Digitos(s, p + 1, 2, oh)) return false;
          size_t q = p + 3;
          if (q < s.size() && s[q] == ':') ++q;
          if (!Digitos(s, q, 2, om) || q + 2 != s.size() || oh > 23 || om > 59) return false;
          offset = (s[p] == '-' ? -1 : 1) * (oh * 60 + om);
        } else {
          return false;
        }
      }
    }
    const double local = EncodeDateTime(y, mo, d, h, mi, se, ms).Value;
    out = TDateTime(local - offset / 1440.0);
    return true;
  } catch (...) {
    return false;
  }
}

TDateTime ISO8601ToDateUTC(std::string_view text) {
  TDateTime d;
  if (!TryISO8601ToDateUTC(text, d)) throw EDateError("Data ISO 8601 inválida: " + std::string(text));
  return d;
}

}  // namespace vyn
