#pragma once

#include <cstddef>
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

// The length of the first character of `bytes` (not empty): its whole sequence when it is
// well-formed, else its maximal ill-formed subsequence, which decodes to one U+FFFD.
std::size_t Utf8CharacterLength(std::string_view bytes);

// How much of its input a conversion into a caller's buffer read, and how much it wrote.
struct ConvertedRun {
  std::size_t read;
  std::size_t written;
};

// The room that CopyUtf8Until needs at `out` for `bytes` bytes: three for each (U+FFFD for a
// lone byte), and one block more, as it copies a block at a time.
constexpr std::size_t CopyUtf8Room(std::size_t bytes) { return 3 * bytes + 32; }

// Reads `bytes` up to the first of the ASCII bytes in `stops` (at most three), or to the end,
// and writes the UTF-8 form of what it decodes to at `out`: as AppendValidUtf8 does, for callers
// that treat a few characters specially and copy everything between them. `spare` says how many
// bytes after `bytes` belong to the same array: they may be read, never used, which spares a
// copy of the last block.
ConvertedRun CopyUtf8Until(std::string_view bytes, std::string_view stops, char* out,
                           std::size_t spare = 0);

// The same, decoding to UTF-16 as AppendUtf8AsUtf16 does; `out` needs room for one unit for
// each byte.
ConvertedRun DecodeUtf8Until(std::string_view bytes, std::string_view stops, char16_t* out);

void AppendUtf16AsUtf8(std::u16string_view text, std::string& out,
                       Utf8Errors errors = Utf8Errors::kReplace);
std::string Utf16ToUtf8(std::u16string_view text, Utf8Errors errors = Utf8Errors::kReplace);

}  // namespace brackwater
