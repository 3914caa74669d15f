#include <windows.h>

#include <cstdint>

#include "platform/system/clock.h"

namespace brackwater {
namespace {

// Seconds from the start of 1601, where FILETIME counts from, to the start of 1970.
constexpr std::int64_t kEpochDistance = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10000000;

// The moment as a calendar time in UTC; false for one that FILETIME cannot hold.
bool ToSystemTime(std::time_t moment, SYSTEMTIME& utc) {
  const std::int64_t seconds = static_cast<std::int64_t>(moment) + kEpochDistance;
  if (seconds < 0 || seconds > INT64_MAX / kTicksPerSecond) return false;
  const auto ticks = static_cast<std::uint64_t>(seconds * kTicksPerSecond);
  const FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  return FileTimeToSystemTime(&file, &utc) != 0;
}

std::u16string Text(const wchar_t* buffer, int length) {
  // The length counts the closing NUL.
  return std::u16string(buffer, buffer + length - 1);
}

}  // namespace

std::optional<DateTimeText> FormatDateTime(std::time_t moment, TimeZone zone) {
  SYSTEMTIME utc{};
  if (!ToSystemTime(moment, utc)) return std::nullopt;
  SYSTEMTIME shown = utc;
  if (zone == TimeZone::kLocal && !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &shown)) {
    return std::nullopt;
  }
  wchar_t date[256];
  wchar_t time[256];
  const int dateLength = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &shown, nullptr,
                                         date, static_cast<int>(std::size(date)), nullptr);
  const int timeLength = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &shown, nullptr, time,
                                         static_cast<int>(std::size(time)));
  // 0 is a failed call, such as a year that the calendar of the user's locale cannot give.
  if (dateLength <= 0 || timeLength <= 0) return std::nullopt;
  return DateTimeText{Text(date, dateLength), Text(time, timeLength)};
}

}  // namespace brackwater
