#include <windows.h>

#include <algorithm>
#include <charconv>
#include <string>

#include "platform/system/code_page.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

// The parts of ISO 8859 that Windows has code pages for, numbered 28590 + part.
constexpr unsigned kIso8859Parts[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 15};

// "CP1251", "windows-1251", "ISO-8859-5" and their spellings without separators, as the number
// of a Windows code page; 0 for any other name.
UINT CodePageNumber(std::string_view name) {
  std::string folded;
  for (char c : name) {
    if (c == '-' || c == '_') continue;
    folded += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  auto numberAfter = [&folded](std::string_view prefix) -> unsigned {
    if (!std::string_view(folded).starts_with(prefix)) return 0;
    unsigned number = 0;
    const char* end = folded.data() + folded.size();
    const auto [stop, error] = std::from_chars(folded.data() + prefix.size(), end, number);
    return error == std::errc{} && stop == end ? number : 0;
  };
  if (const unsigned part = numberAfter("ISO8859")) {
    return std::find(std::begin(kIso8859Parts), std::end(kIso8859Parts), part) !=
                   std::end(kIso8859Parts)
               ? 28590 + part
               : 0;
  }
  if (const unsigned number = numberAfter("CP")) return number;
  return numberAfter("WINDOWS");
}

// The converters of these code pages take no flags; the others can be told to refuse the
// look-alikes ("a" for "ā") that they would otherwise put in silently.
bool RefusesBestFit(UINT codePage) {
  return codePage != 42 && !(codePage >= 50220 && codePage <= 50229) && codePage != 52936 &&
         codePage != 54936 && !(codePage >= 57002 && codePage <= 57011) && codePage != CP_UTF7;
}

}  // namespace

struct CodePageEncoder::Converter {
  UINT codePage;
  DWORD flags;
};

std::string SystemCodePage() {
  const UINT active = GetACP();
  return active == CP_UTF8 ? "UTF-8" : "CP" + std::to_string(active);
}

CodePageEncoder::CodePageEncoder(const std::string& codePage) : utf8_(false) {
  const UINT number = CodePageNumber(codePage);
  utf8_ = IsUtf8CodePage(codePage) || number == CP_UTF8;
  if (!utf8_ && number != 0 && IsValidCodePage(number)) {
    converter_ = std::make_unique<Converter>(
        Converter{number, RefusesBestFit(number) ? DWORD{WC_NO_BEST_FIT_CHARS} : DWORD{0}});
  }
}

CodePageEncoder::~CodePageEncoder() = default;

bool CodePageEncoder::Encode(std::u16string_view text, std::string& out) {
  while (!text.empty()) {
    // Pieces whose sizes an int holds, each ending on a whole character.
    std::size_t length = std::min<std::size_t>(text.size(), std::size_t{1} << 20);
    if (length < text.size() && IsHighSurrogate(text[length - 1])) --length;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(length);
    const int needed = WideCharToMultiByte(converter_->codePage, converter_->flags, wide, units,
                                           nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return false;
    const std::size_t base = out.size();
    out.resize(base + static_cast<std::size_t>(needed));
    // The converter writes its default character for what the code page lacks, and says so.
    BOOL lost = FALSE;
    if (WideCharToMultiByte(converter_->codePage, converter_->flags, wide, units, out.data() + base,
                            needed, nullptr, &lost) != needed ||
        lost) {
      return false;
    }
    text.remove_prefix(length);
  }
  return true;
}

}  // namespace brackwater
