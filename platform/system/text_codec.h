#pragma once

#include <string>
#include <string_view>

namespace brackwater {

constexpr bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// What a conversion does with input that has no form in the other encoding.
enum class Utf8Errors {
  // One U+FFFD for each maximal ill-formed subsequence of bytes, and for each lone surrogate.
  kReplace,
  // Each ill-formed byte b as the lone surrogate U+DC00 + b, and back, so that bytes that are
  // not UTF-8 (file names on POSIX) survive the trip through text unchanged.
  kEscape,
};

void AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out,
                       Utf8Errors errors = Utf8Errors::kReplace);
std::u16string Utf8ToUtf16(std::string_view bytes, Utf8Errors errors = Utf8Errors::kReplace);

// Appends well-formed UTF-8 as it stands, with U+FFFD for each maximal ill-formed subsequence:
// the UTF-8 form of what AppendUtf8AsUtf16 reads, without the detour.
void AppendValidUtf8(std::string_view bytes, std::string& out);

void AppendUtf16AsUtf8(std::u16string_view text, std::string& out,
                       Utf8Errors errors = Utf8Errors::kReplace);
std::string Utf16ToUtf8(std::u16string_view text, Utf8Errors errors = Utf8Errors::kReplace);

}  // namespace brackwater
