#include "framework/ui/date_time_picker.h"

#include <gtest/gtest.h>

namespace vyn {
namespace {

TEST(DateTimePicker, ReadsTimesOfDayAndSetsDateAndTimeApart) {
  const TDateTime def(0.75);
  EXPECT_EQ(FormatPicker("HH:mm", StrToTimeDef("7:05", def)), "07:05");
  EXPECT_EQ(FormatPicker("HH:mm:ss", StrToTimeDef("23:59:58", def)), "23:59:58");
  for (const char* ruim : {"", "12", "12:", "24:00", "12:60", "1a:00", "12:00:00:00", "123:00"})
    EXPECT_EQ(StrToTimeDef(ruim, def), def) << ruim;
  TDateTimePicker p;
  p.SetDateTime(EncodeDateTime(2024, 3, 5, 14, 30, 0));
  p.SetDate(EncodeDate(2025, 1, 2));
  EXPECT_EQ(FormatPicker("dd/MM/yyyy HH:mm", p.DateTime()), "02/01/2025 14:30");
  p.SetTime(EncodeDateTime(1899, 12, 30, 9, 15, 0));
  EXPECT_EQ(FormatPicker("dd/MM/yyyy hh:mm", p.DateTime()), "02/01/2025 09:15");
}

}  // namespace
}  // namespace vyn
