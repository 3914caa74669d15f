// The decoders against the oracle's plain one, and the escaping round trip.

#include <algorithm>
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
  // Well-formed text goes back to UTF-8 unchanged.
  const std::string encoded = Utf16ToUtf8(text);
  if (Utf8ToUtf16(encoded) != text) std::abort();
  std::string copied;
  AppendValidUtf8(bytes, copied);
  if (copied != encoded) std::abort();

  // Up to a stop, with the bytes after the run readable or not.
  constexpr std::string_view kStops = "\r\n\x02";
  const std::size_t stop = std::min(bytes.find_first_of(kStops), bytes.size());
  const std::size_t run = size == 0 ? 0 : data[0] % (size + 1);
  const std::string_view until = bytes.substr(0, std::min(run, stop));
  std::string out(CopyUtf8Room(run), '\0');
  const ConvertedRun copiedRun =
      CopyUtf8Until(bytes.substr(0, run), kStops, out.data(), size % 2 == 0 ? size - run : 0);
  out.resize(copiedRun.written);
  if (copiedRun.read != until.size() || out != Utf16ToUtf8(oracle::DecodeUtf8(until))) {
    std::abort();
  }
  std::u16string decoded(run, u'\0');
  const ConvertedRun decodedRun = DecodeUtf8Until(bytes.substr(0, run), kStops, decoded.data());
  decoded.resize(decodedRun.written);
  if (decodedRun.read != until.size() || decoded != oracle::DecodeUtf8(until)) std::abort();

  const std::u16string escaped = Utf8ToUtf16(bytes, Utf8Errors::kEscape);
  if (Utf16ToUtf8(escaped, Utf8Errors::kEscape) != bytes) std::abort();
  return 0;
}
