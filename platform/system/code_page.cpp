#include "platform/system/code_page.h"

#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

bool HasLoneSurrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsUtf8CodePage(std::string_view codePage) {
  std::string folded;
  for (char c : codePage) {
    if (c == '-' || c == '_') continue;
    folded += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  return folded == "UTF8";
}

bool CodePageEncoder::Append(std::u16string_view text, std::string& out) {
  if (utf8_) {
    AppendUtf16AsUtf8(text, out);
    return true;
  }
  // Checked here, as converters differ on it: some write a question mark and call it done.
  return converter_ != nullptr && !HasLoneSurrogate(text) && Encode(text, out);
}

}  // namespace brackwater
