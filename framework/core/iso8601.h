#pragma once
// ISO 8601 date-times of web answers ("2024-03-05", "2024-03-05T14:07:09Z",
// "2024-03-05T23:30:00-03:00", fractions of a second allowed).
#include <string_view>

#include "framework/core/datetime.h"

namespace vyn {

// The moment in UTC when the text names an offset ("Z" or ±hh:mm); a text without one is taken as
// UTC. Anything else throws EDateError naming the text.
TDateTime ISO8601ToDateUTC(std::string_view text);
bool TryISO8601ToDateUTC(std::string_view text, TDateTime& out) noexcept;

}  // namespace vyn
