// The decoders against the oracle's plain one, and the round trips. The decoding up to a stop
// byte, which the conversion uses, is checked through the conversion's own fuzz target.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/system/text_codec.h"
#include "tests/notes_export/oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brackwater;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = Utf8ToUtf16(bytes);
  if (text != oracle::DecodeUtf8(bytes)) std::abort();
  // Well-formed text goes back to UTF-8 unchanged, and so does any text escaped.
  const std::string encoded = Utf16ToUtf8(text);
  std::string copied;
  AppendValidUtf8(bytes, copied);
  if (Utf8ToUtf16(encoded) != text || copied != encoded) std::abort();
  const std::u16string escaped = Utf8ToUtf16(bytes, Utf8Errors::kEscape);
  if (Utf16ToUtf8(escaped, Utf8Errors::kEscape) != bytes) std::abort();
  return 0;
}
