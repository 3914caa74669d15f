#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace brackwater {

struct DateTimeText {
  std::u16string date;  // the user's short date format
  std::u16string time;  // the user's long time format
};

enum class TimeZone { kLocal, kUtc };

// The moment as the user's locale writes it: on POSIX the one set from the environment by the
// program at start, on Windows the user's regional settings. Nothing for a moment that the
// system's calendar cannot give, such as a year beyond its range: no date is made up.
std::optional<DateTimeText> FormatDateTime(std::time_t moment, TimeZone zone);

}  // namespace brackwater
