#include "framework/core/text.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace vyn {

namespace {

// Decodes one code point at i (advancing i); an invalid sequence yields the byte itself, marked
// by returning false.
bool NextCodePoint(std::string_view s, size_t& i, char32_t& cp) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) { cp = c; ++i; return true; }
  int len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
  if (len == 0 || i + static_cast<size_t>(len) > s.size()) { cp = c; ++i; return false; }
  char32_t v = c & (0xFF >> (len + 1));
  for (int k = 1; k < len; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((cc & 0xC0) != 0x80) { cp = c; ++i; return false; }
    v = (v << 6) | (cc & 0x3F);
  }
  static constexpr char32_t kMinFor[] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < kMinFor[len] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) { cp = c; ++i; return false; }
  cp = v;
  i += static_cast<size_t>(len);
  return true;
}

char32_t ToUpperCp(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0xFF: return 0x178;   // ÿ
    case 0x161: return 0x160;  // š
    case 0x153: return 0x152;  // œ
    case 0x17E: return 0x17D;  // ž
    default: return c;
  }
}

char32_t ToLowerCp(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x178: return 0xFF;
    case 0x160: return 0x161;
    case 0x152: return 0x153;
    case 0x17D: return 0x17E;
    default: return c;
  }
}

// The base letter of an accented Latin letter (either case), or 0 when it has none.
const char* BaseOf(char32_t c) {
  static constexpr const char* kLatin1[64] = {
      "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",   // C0-CF
      "D", "N", "O", "O", "O", "O", "O", nullptr, "O", "U", "U", "U", "U", "Y", "TH", "ss",  // D0-DF
      "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",   // E0-EF
      "d", "n", "o", "o", "o", "o", "o", nullptr, "o", "u", "u", "u", "u", "y", "th", "y"};  // F0-FF
  if (c >= 0xC0 && c <= 0xFF) return kLatin1[c - 0xC0];
  switch (c) {
    case 0x160: return "S";
    case 0x161: return "s";
    case 0x152: return "OE";
    case 0x153: return "oe";
    case 0x17D: return "Z";
    case 0x17E: return "z";
    case 0x178: return "Y";
    default: return nullptr;
  }
}

template <class F>
std::string MapCodePoints(std::string_view s, F f) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    size_t start = i;
    char32_t cp;
    if (!NextCodePoint(s, i, cp)) {
      out.append(s.substr(start, i - start));
      continue;
    }
    f(out, cp);
  }
  return out;
}

bool IsSpace(unsigned char c) { return c <= ' '; }

// Collation key: upper case without accents, as code points.
std::u32string CollationKey(std::string_view s) {
  std::u32string key;
  for (size_t i = 0; i < s.size();) {
    char32_t cp;
    NextCodePoint(s, i, cp);
    if (const char* base = BaseOf(cp)) {
      for (const char* p = base; *p; ++p) key += ToUpperCp(static_cast<char32_t>(*p));
    } else {
      key += ToUpperCp(cp);
    }
  }
  // Firebird compares with PAD SPACE: trailing blanks do not count.
  while (!key.empty() && key.back() == U' ') key.pop_back();
  return key;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string RemoveCaret(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c != '^') out += c;
  return out;
}

std::string TrimLeft(std::string_view s) {
  while (!s.empty() && IsSpace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  return std::string(s);
}

std::string TrimRight(std::string_view s) {
  while (!s.empty() && IsSpace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return std::string(s);
}

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

bool IsBlank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return IsSpace(static_cast<unsigned char>(c)); });
}

std::string OnlyDigits(std::string_view s) {
  std::string out;
  for (char c : s)
    if (c >= '0' && c <= '9') out += c;
  return out;
}

std::string ZeroPad(std::string_view s, size_t width) {
  if (s.size() >= width) return std::string(s);
  return std::string(width - s.size(), '0') + std::string(s);
}

std::string ZeroPad(long long n, size_t width) {
  if (n >= 0) return ZeroPad(fmt::format("{}", n), width);
  std::string digits = fmt::format("{}", n).substr(1);
  return "-" + ZeroPad(digits, width > 0 ? width - 1 : 0);
}

std::string StripLeadingZeros(std::string_view s) {
  size_t i = 0;
  while (i + 1 < s.size() && s[i] == '0') ++i;
  return std::string(s.substr(i));
}

std::optional<int64_t> WholeInteger(std::string_view s) {
  int64_t v = 0;
  const auto [fim, erro] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || erro != std::errc() || fim != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string UpperCase(std::string_view s) {
  return MapCodePoints(s, [](std::string& out, char32_t cp) { AppendUtf8(out, ToUpperCp(cp)); });
}

std::string LowerCase(std::string_view s) {
  return MapCodePoints(s, [](std::string& out, char32_t cp) { AppendUtf8(out, ToLowerCp(cp)); });
}

std::string RemoveAccents(std::string_view s) {
  return MapCodePoints(s, [](std::string& out, char32_t cp) {
    // Only accented letters lose their marks; ligatures and other letters stay as written.
    const char* base = BaseOf(cp);
    if (base && base[1] == '\0') out += base;
    else AppendUtf8(out, cp);
  });
}

bool SameText(std::string_view a, std::string_view b) { return UpperCase(a) == UpperCase(b); }

int CompareTextPTBR(std::string_view a, std::string_view b) {
  std::u32string ka = CollationKey(a), kb = CollationKey(b);
  int c = ka.compare(kb);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::vector<std::string> Split(std::string_view s, char sep) {
  std::vector<std::string> parts;
  if (s.empty()) return parts;
  size_t pos = 0;
  while (true) {
    size_t next = s.find(sep, pos);
    parts.emplace_back(s.substr(pos, next == std::string_view::npos ? std::string_view::npos : next - pos));
    if (next == std::string_view::npos) break;
    pos = next + 1;
  }
  return parts;
}

std::string Join(const std::vector<std::string>& parts, std::string_view sep) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += sep;
    out += parts[i];
  }
  return out;
}

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
  if (from.empty()) return s;
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
  return s;
}

bool StartsWithText(std::string_view s, std::string_view prefix) {
  std::string us = UpperCase(s), up = UpperCase(prefix);
  return us.compare(0, up.size(), up) == 0 && us.size() >= up.size();
}

bool FitsWin1252(std::string_view utf8) {
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp;
    if (!NextCodePoint(utf8, i, cp)) return false;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) continue;
    switch (cp) {
      case 0x20AC: case 0x201A: case 0x0192: case 0x201E: case 0x2026: case 0x2020: case 0x2021:
      case 0x02C6: case 0x2030: case 0x0160: case 0x2039: case 0x0152: case 0x017D: case 0x2018:
      case 0x2019: case 0x201C: case 0x201D: case 0x2022: case 0x2013: case 0x2014: case 0x02DC:
      case 0x2122: case 0x0161: case 0x203A: case 0x0153: case 0x017E: case 0x0178:
        continue;
      default:
        return false;
    }
  }
  return true;
}

size_t Utf8Length(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size();) {
    char32_t cp;
    NextCodePoint(s, i, cp);
    ++n;
  }
  return n;
}

std::string Utf8Left(std::string_view s, size_t chars) {
  size_t i = 0;
  for (size_t n = 0; n < chars && i < s.size(); ++n) {
    char32_t cp;
    NextCodePoint(s, i, cp);
  }
  return std::string(s.substr(0, i));
}

std::string fEliminaCaracteresEspeciais(std::string_view s) {
  std::string out;
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x20 && std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos)
      out += c;
  return out;
}

std::string HashTexto(std::string_view s) {
  uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  return fmt::format("{:016x}", h);
}

namespace {
// The length of the valid UTF-8 character at s[i], or 0 when none starts there (a stray continuation
// byte, a cut sequence, an overlong form, a surrogate, beyond U+10FFFF).
size_t CaractereUtf8(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  size_t n = 0;
  unsigned char min = 0x80, max = 0xBF;   // the range of the second byte
  if (c >= 0xC2 && c <= 0xDF) n = 2;
  else if (c == 0xE0) { n = 3; min = 0xA0; }
  else if (c == 0xED) { n = 3; max = 0x9F; }
  else if (c >= 0xE1 && c <= 0xEF) n = 3;
  else if (c == 0xF0) { n = 4; min = 0x90; }
  else if (c == 0xF4) { n = 4; max = 0x8F; }
  else if (c >= 0xF1 && c <= 0xF3) n = 4;
  else return 0;
  if (i + n > s.size() || b(i + 1) < min || b(i + 1) > max) return 0;
  for (size_t k = 2; k < n; ++k)
    if ((b(i + k) & 0xC0) != 0x80) return 0;
  return n;
}
}  // namespace

std::string Utf8Legivel(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const size_t n = CaractereUtf8(s, i);
    if (n == 0) {
      AppendUtf8(out, 0xFFFD);
      ++i;
    } else {
      out.append(s.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace vyn
