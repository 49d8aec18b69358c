#include "framework/core/datetime.h"

#include <fmt/format.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <ctime>

namespace vyn {

namespace {

constexpr long long kMsPerDay = 86400000LL;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long yy = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

const long long kEpoch = DaysFromCivil(1899, 12, 30);

// The value as whole milliseconds, so that 45292.99999999 reads as the next midnight and not
// as 23:59:59.999 of the day before.
long long TotalMs(TDateTime d) { return std::llround(d.Value * static_cast<double>(kMsPerDay)); }

long long FloorDiv(long long a, long long b) {
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

[[noreturn]] void BadDate(std::string_view text) {
  throw EDateError(fmt::format("Data inválida: \"{}\"", text));
}

std::string_view TrimSp(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// Reads 1..max_digits digits at pos; false when none.
bool ReadInt(std::string_view s, size_t& pos, size_t max_digits, int& out) {
  size_t start = pos;
  out = 0;
  while (pos < s.size() && pos - start < max_digits && std::isdigit(static_cast<unsigned char>(s[pos]))) {
    out = out * 10 + (s[pos] - '0');
    ++pos;
  }
  return pos > start;
}

double TimeFraction(int h, int n, int s, int ms) {
  return static_cast<double>(h * 3600000LL + n * 60000LL + s * 1000LL + ms) / kMsPerDay;
}

TDateTime FromLocal(bool with_time) {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  if (!with_time) return EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  int ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        tm.tm_sec > 59 ? 59 : tm.tm_sec, ms);
}

}  // namespace

int TDateTime::Days() const { return static_cast<int>(FloorDiv(TotalMs(*this), kMsPerDay)); }

TDateTime TDateTime::DateOnly() const { return TDateTime(Days()); }

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) throw EDateError(fmt::format("Mês inválido: {}", month));
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

TDateTime EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day))
    throw EDateError(fmt::format("Data inválida: {:02}/{:02}/{:04}", day, month, year));
  return TDateTime(static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                                     static_cast<unsigned>(day)) - kEpoch));
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
  TDateTime d = EncodeDate(year, month, day);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || ms < 0 || ms > 999)
    throw EDateError(fmt::format("Hora inválida: {:02}:{:02}:{:02}.{:03}", hour, minute, second, ms));
  return TDateTime(d.Value + TimeFraction(hour, minute, second, ms));
}

void DecodeDate(TDateTime d, int& year, int& month, int& day) {
  CivilFromDays(d.Days() + kEpoch, year, month, day);
}

void DecodeTime(TDateTime d, int& hour, int& minute, int& second, int& ms) {
  long long t = TotalMs(d) - static_cast<long long>(d.Days()) * kMsPerDay;
  hour = static_cast<int>(t / 3600000);
  minute = static_cast<int>(t / 60000 % 60);
  second = static_cast<int>(t / 1000 % 60);
  ms = static_cast<int>(t % 1000);
}

int YearOf(TDateTime d) { int y, m, dd; DecodeDate(d, y, m, dd); return y; }
int MonthOf(TDateTime d) { int y, m, dd; DecodeDate(d, y, m, dd); return m; }
int DayOf(TDateTime d) { int y, m, dd; DecodeDate(d, y, m, dd); return dd; }

int DayOfWeek(TDateTime d) {
  // 30/12/1899 was a Saturday.
  int r = static_cast<int>(((d.Days() % 7) + 7) % 7);
  return (r + 6) % 7 + 1;
}

TDateTime StartOfTheMonth(TDateTime d) {
  int y, m, dd;
  DecodeDate(d, y, m, dd);
  return EncodeDate(y, m, 1);
}

TDateTime EndOfTheMonth(TDateTime d) {
  int y, m, dd;
  DecodeDate(d, y, m, dd);
  return EncodeDate(y, m, DaysInMonth(y, m));
}

TDateTime IncMonth(TDateTime d, int months) {
  int y, m, dd;
  DecodeDate(d, y, m, dd);
  long long total = static_cast<long long>(y) * 12 + (m - 1) + months;
  int ny = static_cast<int>(FloorDiv(total, 12));
  int nm = static_cast<int>(total - static_cast<long long>(ny) * 12) + 1;
  if (ny < 1 || ny > 9999) throw EDateError(fmt::format("Data fora do limite: ano {}", ny));
  int nd = dd > DaysInMonth(ny, nm) ? DaysInMonth(ny, nm) : dd;
  double time = d.Value - d.Days();
  return TDateTime(EncodeDate(ny, nm, nd).Value + time);
}

TDateTime IncDay(TDateTime d, int days) { return TDateTime(d.Value + days); }

TDateTime Today() { return FromLocal(false); }
TDateTime Now() { return FromLocal(true); }

int AnoMes(TDateTime d) {
  int y, m, dd;
  DecodeDate(d, y, m, dd);
  return y * 100 + m;
}

bool IsValidAnoMes(int yyyymm) {
  int y = yyyymm / 100, m = yyyymm % 100;
  return yyyymm > 0 && y >= 1 && y <= 9999 && m >= 1 && m <= 12;
}

static void CheckAnoMes(int yyyymm) {
  if (!IsValidAnoMes(yyyymm)) throw EDateError(fmt::format("Referência inválida: {}", yyyymm));
}

int IncAnoMes(int yyyymm, int months) {
  CheckAnoMes(yyyymm);
  long long total = static_cast<long long>(yyyymm / 100) * 12 + (yyyymm % 100 - 1) + months;
  long long y = FloorDiv(total, 12);
  long long m = total - y * 12 + 1;
  if (y < 1 || y > 9999) throw EDateError(fmt::format("Referência fora do limite: {} + {}", yyyymm, months));
  return static_cast<int>(y * 100 + m);
}

TDateTime FirstDayOfAnoMes(int yyyymm) {
  CheckAnoMes(yyyymm);
  return EncodeDate(yyyymm / 100, yyyymm % 100, 1);
}

TDateTime LastDayOfAnoMes(int yyyymm) {
  CheckAnoMes(yyyymm);
  return EncodeDate(yyyymm / 100, yyyymm % 100, DaysInMonth(yyyymm / 100, yyyymm % 100));
}

std::string AnoMesToText(int yyyymm) {
  CheckAnoMes(yyyymm);
  return fmt::format("{:02}/{:04}", yyyymm % 100, yyyymm / 100);
}

int TextToAnoMes(std::string_view mm_yyyy) {
  std::string_view s = TrimSp(mm_yyyy);
  size_t pos = 0;
  int m = 0, y = 0;
  bool ok = ReadInt(s, pos, 2, m) && pos < s.size() && s[pos] == '/';
  if (ok) {
    size_t start = ++pos;
    ok = ReadInt(s, pos, 4, y) && pos - start == 4 && pos == s.size() && IsValidAnoMes(y * 100 + m);
  }
  if (!ok) throw EDateError(fmt::format("Referência inválida: \"{}\"", mm_yyyy));
  return y * 100 + m;
}

std::string DateToStr(TDateTime d) {
  int y, m, dd;
  DecodeDate(d, y, m, dd);
  return fmt::format("{:02}/{:02}/{:04}", dd, m, y);
}

std::string DateTimeToStr(TDateTime d) {
  int h, n, s, ms;
  DecodeTime(d, h, n, s, ms);
  return fmt::format("{} {:02}:{:02}:{:02}", DateToStr(d), h, n, s);
}

bool TryStrToDate(std::string_view text, TDateTime& out) noexcept {
  std::string_view s = TrimSp(text);
  size_t pos = 0;
  int d = 0, m = 0, y = 0;
  if (!ReadInt(s, pos, 2, d) || pos >= s.size() || s[pos] != '/') return false;
  ++pos;
  if (!ReadInt(s, pos, 2, m) || pos >= s.size() || s[pos] != '/') return false;
  ++pos;
  size_t start = pos;
  if (!ReadInt(s, pos, 4, y) || pos - start != 4 || pos != s.size()) return false;
  if (!IsValidDate(y, m, d)) return false;
  out = EncodeDate(y, m, d);
  return true;
}

TDateTime StrToDate(std::string_view text) {
  TDateTime d;
  if (!TryStrToDate(text, d)) BadDate(text);
  return d;
}

std::string DateToSQL(TDateTime d) {
  int y, m, dd;
  DecodeDate(d, y, m, dd);
  return fmt::format("{:04}-{:02}-{:02}", y, m, dd);
}

std::string QuotedDateSQL(TDateTime d) { return "'" + DateToSQL(d) + "'"; }

std::string DateTimeToSQL(TDateTime d) {
  int h, n, s, ms;
  DecodeTime(d, h, n, s, ms);
  return fmt::format("{} {:02}:{:02}:{:02}.{:03}", DateToSQL(d), h, n, s, ms);
}

TDateTime SQLToDate(std::string_view text) {
  std::string_view s = TrimSp(text);
  size_t pos = 0;
  int y = 0, m = 0, d = 0, h = 0, n = 0, sec = 0, ms = 0;
  size_t start = 0;
  if (!ReadInt(s, pos, 4, y) || pos != 4 || pos >= s.size() || s[pos] != '-') BadDate(text);
  ++pos;
  if (!ReadInt(s, pos, 2, m) || pos >= s.size() || s[pos] != '-') BadDate(text);
  ++pos;
  if (!ReadInt(s, pos, 2, d) || !IsValidDate(y, m, d)) BadDate(text);
  if (pos == s.size()) return EncodeDate(y, m, d);
  if (s[pos] != ' ' && s[pos] != 'T') BadDate(text);
  ++pos;
  if (!ReadInt(s, pos, 2, h) || pos >= s.size() || s[pos] != ':') BadDate(text);
  ++pos;
  if (!ReadInt(s, pos, 2, n)) BadDate(text);
  if (pos < s.size() && s[pos] == ':') {
    ++pos;
    if (!ReadInt(s, pos, 2, sec)) BadDate(text);
    if (pos < s.size() && s[pos] == '.') {
      ++pos;
      start = pos;
      int frac = 0;
      if (!ReadInt(s, pos, 9, frac)) BadDate(text);
      size_t len = pos - start;
      for (; len < 3; ++len) frac *= 10;
      for (; len > 3; --len) frac /= 10;
      ms = frac;
    }
  }
  if (pos != s.size() || h > 23 || n > 59 || sec > 59) BadDate(text);
  return EncodeDateTime(y, m, d, h, n, sec, ms);
}

std::string FormatDate(std::string_view pattern, TDateTime d) {
  int y, m, dd, h, n, s, ms;
  DecodeDate(d, y, m, dd);
  DecodeTime(d, h, n, s, ms);
  std::string out;
  auto at = [&](size_t i, std::string_view tok) {
    if (pattern.size() - i < tok.size()) return false;
    for (size_t k = 0; k < tok.size(); ++k)
      if (std::tolower(static_cast<unsigned char>(pattern[i + k])) != tok[k]) return false;
    return true;
  };
  for (size_t i = 0; i < pattern.size();) {
    if (at(i, "yyyy")) { out += fmt::format("{:04}", y); i += 4; }
    else if (at(i, "zzz")) { out += fmt::format("{:03}", ms); i += 3; }
    else if (at(i, "yy")) { out += fmt::format("{:02}", y % 100); i += 2; }
    else if (at(i, "dd")) { out += fmt::format("{:02}", dd); i += 2; }
    else if (at(i, "mm")) { out += fmt::format("{:02}", m); i += 2; }
    else if (at(i, "hh")) { out += fmt::format("{:02}", h); i += 2; }
    else if (at(i, "nn")) { out += fmt::format("{:02}", n); i += 2; }
    else if (at(i, "ss")) { out += fmt::format("{:02}", s); i += 2; }
    else out += pattern[i++];
  }
  return out;
}

}  // namespace vyn
