// The fast conversion against the step-by-step oracle, on bytes and on decoded text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "notes_export/notes_conversion.h"
#include "platform/system/text_codec.h"
#include "tests/notes_export/oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brackwater;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const auto fast = ExportNotesText(bytes, u"notes.adr", u"date", u"time");
  if (fast != oracle::ExportNotesText(bytes, u"notes.adr", u"date", u"time")) std::abort();

  // In pieces of a size taken from the input, down to one unit, cut only between characters.
  const std::size_t pieceSize = size == 0 ? 1 : 1 + data[0] % 97;
  std::u16string streamed;
  bool whole = true;
  const bool any = StreamNotesExport(
      bytes, u"notes.adr", u"date", u"time",
      [&](std::u16string_view piece) {
        whole = whole && !piece.empty() &&
                !(!streamed.empty() && IsHighSurrogate(streamed.back()) &&
                  IsLowSurrogate(piece.front()));
        streamed += piece;
      },
      pieceSize);
  if (any != fast.has_value() || (any && streamed != *fast)) std::abort();
  std::string utf8;
  StreamNotesExportUtf8(
      bytes, u"notes.adr", u"date", u"time",
      [&](std::string_view piece) {
        whole = whole && !piece.empty() && (piece.front() & 0xC0) != 0x80;
        utf8 += piece;
      },
      pieceSize);
  if (!whole || (any && utf8 != Utf16ToUtf8(*fast))) std::abort();

  // The same bytes read as UTF-16 units reach lone surrogates that decoding never makes.
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  }
  if (ExtractNotes(units) != oracle::ExtractNotes(units)) std::abort();
  return 0;
}
