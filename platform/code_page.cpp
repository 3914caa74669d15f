#include "platform/code_page.h"

#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstring>

#include "platform/text_codec.h"

namespace brackwater {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

std::string SystemCodePage() {
  const char* locale = std::setlocale(LC_CTYPE, nullptr);
  if (locale == nullptr || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0) {
    return "UTF-8";
  }
  return nl_langinfo(CODESET);
}

bool IsUtf8CodePage(std::string_view codePage) {
  std::string folded;
  for (char c : codePage) {
    if (c == '-' || c == '_') continue;
    folded += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  return folded == "UTF8";
}

CodePageEncoder::CodePageEncoder(const std::string& codePage)
    : utf8_(IsUtf8CodePage(codePage)),
      converter_(utf8_ ? kNoConverter : iconv_open(codePage.c_str(), "UTF-8")) {}

CodePageEncoder::~CodePageEncoder() {
  if (converter_ != kNoConverter) iconv_close(converter_);
}

bool CodePageEncoder::Append(std::u16string_view text, std::string& out) {
  if (utf8_) {
    AppendUtf16AsUtf8(text, out);
    return true;
  }
  if (converter_ == kNoConverter) return false;
  scratch_.clear();
  AppendUtf16AsUtf8(text, scratch_);
  char* in = scratch_.data();
  std::size_t inLeft = scratch_.size();
  while (inLeft > 0) {
    const std::size_t base = out.size();
    // Code pages in use take at most four bytes per character of UTF-8's one or more.
    out.resize(base + 4 * inLeft);
    char* o = out.data() + base;
    std::size_t outLeft = out.size() - base;
    const std::size_t result = iconv(converter_, &in, &inLeft, &o, &outLeft);
    out.resize(static_cast<std::size_t>(o - out.data()));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    // iconv counts characters it had to approximate; none may be.
    if (result != static_cast<std::size_t>(-1) && result > 0) return false;
  }
  return true;
}

}  // namespace brackwater
