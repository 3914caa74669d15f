#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace brackwater {

// The character set that this system's plain text files are written in: the one of the user's
// locale (set from the environment by the program at start), where the plain C or POSIX
// locale counts as UTF-8.
std::string SystemCodePage();

bool IsUtf8CodePage(std::string_view codePage);

// Turns text into the bytes of one code page, piece by piece.
class CodePageEncoder {
 public:
  explicit CodePageEncoder(const std::string& codePage);
  ~CodePageEncoder();
  CodePageEncoder(const CodePageEncoder&) = delete;
  CodePageEncoder& operator=(const CodePageEncoder&) = delete;

  // Appends the encoded text to `out`. False when some character has no form in the code page
  // (or the code page is unknown here); `out` then holds an unspecified part of the text.
  // Pieces must not split a surrogate pair.
  bool Append(std::u16string_view text, std::string& out);

 private:
  bool utf8_;
  iconv_t converter_;
  std::string scratch_;
};

}  // namespace brackwater
