#pragma once
// The date/time picker: one moment shown with its format; the date and the time of day are set apart.
#include <string>
#include <string_view>

#include "framework/core/datetime.h"
#include "framework/ui/control.h"

namespace vyn {

enum TDateTimeKind { dtkDate, dtkTime };

class TDateTimePicker : public TControl {
 public:
  // Starts at the current moment, as the suite's picker does.
  explicit TDateTimePicker(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TDateTimePicker"; }

  TDateTimeKind Kind = dtkDate;
  // "dd/MM/yyyy", "HH:mm": MM month, mm minutes, HH 24-hour, hh 12-hour. Empty: the kind's default.
  std::string Format;

  TDateTime DateTime() const { return value_; }
  // A change fires OnChange, as the user's choice does.
  void SetDateTime(TDateTime v);
  TDateTime Date() const { return value_.DateOnly(); }
  TDateTime Time() const;                    // the time of day alone
  void SetDate(TDateTime d);                 // keeps the time of day
  void SetTime(TDateTime t);                 // keeps the date
  std::string Text() const;                  // the value in its format

  TNotifyEvent OnChange;

 private:
  TDateTime value_;
};

// The picker's format tokens applied to a moment.
std::string FormatPicker(std::string_view format, TDateTime d);
// "14:30" or "14:30:15" as a time of day; def when the text is no valid time.
TDateTime StrToTimeDef(std::string_view s, TDateTime def);

}  // namespace vyn
