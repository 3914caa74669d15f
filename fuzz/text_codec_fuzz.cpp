// The decoders against the oracle's plain one, and the escaping round trip.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/system/text_codec.h"
#include "tests/notes_export/oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brackwater;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::u16string text = Utf8ToUtf16(bytes);
  if (text != oracle::DecodeUtf8(bytes)) std::abort();
  // Well-formed text goes back to UTF-8 unchanged.
  const std::string encoded = Utf16ToUtf8(text);
  if (Utf8ToUtf16(encoded) != text) std::abort();
  std::string copied;
  AppendValidUtf8(bytes, copied);
  if (copied != encoded) std::abort();

  const std::u16string escaped = Utf8ToUtf16(bytes, Utf8Errors::kEscape);
  if (Utf16ToUtf8(escaped, Utf8Errors::kEscape) != bytes) std::abort();
  return 0;
}
