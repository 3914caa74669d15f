#include <cwchar>
#include <utility>

#include "platform/system/clock.h"

namespace brackwater {
namespace {

// Nothing when the text does not fit, which wcsftime does not tell apart from an empty one.
std::optional<std::u16string> Format(const wchar_t* format, const std::tm& parts) {
  wchar_t buffer[256];
  const std::size_t length = std::wcsftime(buffer, std::size(buffer), format, &parts);
  if (length == 0) return std::nullopt;
  std::u16string text;
  for (std::size_t i = 0; i < length; ++i) {
    auto c = static_cast<char32_t>(buffer[i]);
    if (c >= 0x10000) {
      c -= 0x10000;
      text += static_cast<char16_t>(0xD800 + (c >> 10));
      text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      text += static_cast<char16_t>(c);
    }
  }
  return text;
}

}  // namespace

std::optional<DateTimeText> FormatDateTime(std::time_t moment, TimeZone zone) {
  std::tm parts{};
  // Both fail for a year that does not fit the calendar's int.
  const std::tm* split =
      zone == TimeZone::kUtc ? gmtime_r(&moment, &parts) : localtime_r(&moment, &parts);
  if (split == nullptr) return std::nullopt;
  std::optional<std::u16string> date = Format(L"%x", parts);
  std::optional<std::u16string> time = Format(L"%X", parts);
  if (!date || !time) return std::nullopt;
  return DateTimeText{std::move(*date), std::move(*time)};
}

}  // namespace brackwater
