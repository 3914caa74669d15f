#include <cwchar>

#include "platform/system/clock.h"

namespace brackwater {
namespace {

std::u16string Format(const wchar_t* format, const std::tm& parts) {
  wchar_t buffer[256];
  const std::size_t length = std::wcsftime(buffer, std::size(buffer), format, &parts);
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

DateTimeText FormatDateTime(std::time_t moment, TimeZone zone) {
  std::tm parts{};
  if (zone == TimeZone::kUtc) {
    gmtime_r(&moment, &parts);
  } else {
    localtime_r(&moment, &parts);
  }
  return {Format(L"%x", parts), Format(L"%X", parts)};
}

}  // namespace brackwater
