#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace brackwater {

// The character set that this system's plain text files are written in. On POSIX, the one of the
// user's locale (set from the environment by the program at start), where the plain C or POSIX
// locale counts as UTF-8; on Windows, the active code page ("CP1252"), or "UTF-8" where that is
// the active one.
std::string SystemCodePage();

bool IsUtf8CodePage(std::string_view codePage);

// Turns text into the bytes of one code page, piece by piece.
class CodePageEncoder {
 public:
  explicit CodePageEncoder(const std::string& codePage);
  ~CodePageEncoder();
  CodePageEncoder(const CodePageEncoder&) = delete;
  CodePageEncoder& operator=(const CodePageEncoder&) = delete;

  // Appends the encoded text to `out`. False when some character has no form in the code page,
  // when the text holds a lone surrogate (UTF-8 writes U+FFFD for it), or when the code page is
  // unknown here; `out` may then hold part of the text. Pieces must not split a surrogate pair.
  bool Append(std::u16string_view text, std::string& out);

 private:
  struct Converter;  // the system's; null for UTF-8 and for a code page unknown here

  // Through the converter, for well-formed text.
  bool Encode(std::u16string_view text, std::string& out);

  bool utf8_;
  std::unique_ptr<Converter> converter_;
};

}  // namespace brackwater
