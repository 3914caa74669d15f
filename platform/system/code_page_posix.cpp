#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstring>

#include "platform/system/code_page.h"
#include "platform/system/text_codec.h"

namespace brackwater {

struct CodePageEncoder::Converter {
  explicit Converter(iconv_t opened) : handle(opened) {}
  ~Converter() { iconv_close(handle); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  iconv_t handle;
  std::string scratch;  // the text in UTF-8, as iconv takes it
};

std::string SystemCodePage() {
  const char* locale = std::setlocale(LC_CTYPE, nullptr);
  if (locale == nullptr || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0) {
    return "UTF-8";
  }
  return nl_langinfo(CODESET);
}

CodePageEncoder::CodePageEncoder(const std::string& codePage) : utf8_(IsUtf8CodePage(codePage)) {
  if (utf8_) return;
  const iconv_t opened = iconv_open(codePage.c_str(), "UTF-8");
  if (opened != reinterpret_cast<iconv_t>(-1)) converter_ = std::make_unique<Converter>(opened);
}

CodePageEncoder::~CodePageEncoder() = default;

bool CodePageEncoder::Encode(std::u16string_view text, std::string& out) {
  std::string& scratch = converter_->scratch;
  scratch.clear();
  AppendUtf16AsUtf8(text, scratch);
  char* in = scratch.data();
  std::size_t inLeft = scratch.size();
  while (inLeft > 0) {
    const std::size_t base = out.size();
    // Code pages in use take at most four bytes per character of UTF-8's one or more.
    out.resize(base + 4 * inLeft);
    char* o = out.data() + base;
    std::size_t outLeft = out.size() - base;
    const std::size_t result = iconv(converter_->handle, &in, &inLeft, &o, &outLeft);
    out.resize(static_cast<std::size_t>(o - out.data()));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    // iconv counts characters it had to approximate; none may be.
    if (result != static_cast<std::size_t>(-1) && result > 0) return false;
  }
  return true;
}

}  // namespace brackwater
