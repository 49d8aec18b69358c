#pragma once
// Dates as the suite stores them: days since 1899-12-30, time of day as the fraction.
#include <compare>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vyn {

class EDateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TDateTime {
  double Value = 0;

  constexpr TDateTime() = default;
  constexpr explicit TDateTime(double v) : Value(v) {}
  auto operator<=>(const TDateTime&) const = default;
  bool operator==(const TDateTime&) const = default;

  int Days() const;                 // whole days (the date part)
  TDateTime DateOnly() const;
};

// Encoding; an impossible date (31/02/2024, month 13) throws EDateError.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms = 0);
bool IsValidDate(int year, int month, int day);
void DecodeDate(TDateTime d, int& year, int& month, int& day);
void DecodeTime(TDateTime d, int& hour, int& minute, int& second, int& ms);
int YearOf(TDateTime d);
int MonthOf(TDateTime d);
int DayOf(TDateTime d);
int DaysInMonth(int year, int month);
int DayOfWeek(TDateTime d);       // 1 = Sunday .. 7 = Saturday

TDateTime StartOfTheMonth(TDateTime d);
TDateTime EndOfTheMonth(TDateTime d);   // date part only (the last day at 00:00)
TDateTime IncMonth(TDateTime d, int months);  // day clipped to the target month's length
TDateTime IncDay(TDateTime d, int days);
TDateTime Today();
TDateTime Now();

// Reference months: an int YYYYMM.
int AnoMes(TDateTime d);                              // 202403
int IncAnoMes(int yyyymm, int months);
bool IsValidAnoMes(int yyyymm);
TDateTime FirstDayOfAnoMes(int yyyymm);               // throws on an invalid month
TDateTime LastDayOfAnoMes(int yyyymm);
std::string AnoMesToText(int yyyymm);                 // "03/2024"
int TextToAnoMes(std::string_view mm_yyyy);           // "03/2024" or "3/2024" -> 202403; throws

// Text forms.
std::string DateToStr(TDateTime d);                   // "05/03/2024"
std::string DateTimeToStr(TDateTime d);               // "05/03/2024 14:07:09"
TDateTime StrToDate(std::string_view dd_mm_yyyy);     // throws EDateError naming the text
bool TryStrToDate(std::string_view dd_mm_yyyy, TDateTime& out) noexcept;
std::string DateToSQL(TDateTime d);                   // "2024-03-05" (without quotes)
std::string QuotedDateSQL(TDateTime d);               // "'2024-03-05'"
std::string DateTimeToSQL(TDateTime d);               // "2024-03-05 14:07:09.000"
TDateTime SQLToDate(std::string_view yyyy_mm_dd);     // "2024-03-05" (time part optional)
std::string FormatDate(std::string_view pattern, TDateTime d);  // dd mm yyyy yy hh nn ss zzz

}  // namespace vyn
