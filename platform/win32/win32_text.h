#pragma once

#include <string>
#include <string_view>

namespace brackwater {

// Windows's wide characters are the program's 16-bit characters; only the type differs.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring Wide(std::u16string_view text) { return {text.begin(), text.end()}; }
inline std::u16string Narrow16(std::wstring_view text) { return {text.begin(), text.end()}; }

}  // namespace brackwater
