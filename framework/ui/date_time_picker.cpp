#include "framework/ui/date_time_picker.h"

#include <fmt/format.h>


#include "framework/core/text.h"

namespace vyn {

namespace {
constexpr double kMsPerDay = 86400000.0;

// The time of day of d in whole milliseconds.
long long DayMs(TDateTime d) {
  int h, n, s, ms;
  DecodeTime(d, h, n, s, ms);
  return ((h * 60LL + n) * 60 + s) * 1000 + ms;
}

TDateTime Compose(TDateTime date, long long ms) {
  return TDateTime(date.DateOnly().Value + static_cast<double>(ms) / kMsPerDay);
}
}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* owner) : TControl(owner), value_(Now()) {}

void TDateTimePicker::SetDateTime(TDateTime v) {
  if (v == value_) return;
  value_ = v;
  if (OnChange) OnChange(this);
}

TDateTime TDateTimePicker::Time() const { return TDateTime(static_cast<double>(DayMs(value_)) / kMsPerDay); }

void TDateTimePicker::SetDate(TDateTime d) { SetDateTime(Compose(d, DayMs(value_))); }

void TDateTimePicker::SetTime(TDateTime t) { SetDateTime(Compose(value_, DayMs(t))); }

std::string TDateTimePicker::Text() const {
  if (!Format.empty()) return FormatPicker(Format, value_);
  return FormatPicker(Kind == dtkTime ? "HH:mm:ss" : "dd/MM/yyyy", value_);
}

std::string FormatPicker(std::string_view format, TDateTime d) {
  int y, m, dd, h, n, s, ms;
  DecodeDate(d, y, m, dd);
  DecodeTime(d, h, n, s, ms);
  std::string out;
  for (size_t i = 0; i < format.size();) {
    std::string_view rest = format.substr(i);
    if (rest.starts_with("yyyy")) { out += fmt::format("{:04}", y); i += 4; }
    else if (rest.starts_with("yy")) { out += fmt::format("{:02}", y % 100); i += 2; }
    else if (rest.starts_with("dd")) { out += fmt::format("{:02}", dd); i += 2; }
    else if (rest.starts_with("MM")) { out += fmt::format("{:02}", m); i += 2; }
    else if (rest.starts_with("HH")) { out += fmt::format("{:02}", h); i += 2; }
    else if (rest.starts_with("hh")) { out += fmt::format("{:02}", h % 12 == 0 ? 12 : h % 12); i += 2; }
    else if (rest.starts_with("mm")) { out += fmt::format("{:02}", n); i += 2; }
    else if (rest.starts_with("ss")) { out += fmt::format("{:02}", s); i += 2; }
    else out += format[i++];
  }
  return out;
}

TDateTime StrToTimeDef(std::string_view s, TDateTime def) {
  std::string t = Trim(s);
  int part[3] = {0, 0, 0};
  int count = 0;
  size_t i = 0;
  while (i <= t.size() && count < 3) {
    size_t j = i;
    while (j < t.size() && t[j] >= '0' && t[j] <= '9') ++j;
    if (j == i || j - i > 2) return def;
    part[count++] = std::stoi(t.substr(i, j - i));
    if (j == t.size()) { i = j + 1; break; }
    if (t[j] != ':') return def;
    i = j + 1;
  }
  if (i <= t.size() || count < 2) return def;   // text left over, or no minutes
  if (part[0] > 23 || part[1] > 59 || part[2] > 59) return def;
  return TDateTime(((part[0] * 60.0 + part[1]) * 60 + part[2]) * 1000 / kMsPerDay);
}

}  // namespace vyn
