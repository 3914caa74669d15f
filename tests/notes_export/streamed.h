#pragma once

#include <string>

#include "notes_export/notes_conversion.h"
#include "platform/system/text_codec.h"

namespace brackwater {

// A notes path whose emoji straddles the place where the header's first piece may end.
inline constexpr std::u16string_view kNotesPath =
    u"/home/someone/Application Data/Opera/😀/notes.adr";

// Whether the export of `bytes`, streamed in pieces of `pieceSize` as UTF-16 and as UTF-8, joins
// to `expected` (empty for no export at all), each piece whole: not empty, at most 256 units past
// its size (the step that crosses the size ends it), and not cut inside a character.
inline bool StreamsAs(std::string_view bytes, std::size_t pieceSize,
                      const std::u16string& expected) {
  std::u16string utf16;
  std::string utf8;
  bool whole = true;
  auto fits = [pieceSize](std::size_t size) { return size > 0 && size <= pieceSize + 256; };
  StreamNotesExport(
      bytes, kNotesPath, u"d", u"t",
      [&](std::u16string_view piece) {
        whole = whole && fits(piece.size()) &&
                !(IsLowSurrogate(piece[0]) && IsHighSurrogate(utf16.back()));
        utf16 += piece;
      },
      pieceSize);
  StreamNotesExportUtf8(
      bytes, kNotesPath, u"d", u"t",
      [&](std::string_view piece) {
        whole = whole && fits(piece.size()) && (piece[0] & 0xC0) != 0x80;
        utf8 += piece;
      },
      pieceSize);
  return whole && utf16 == expected && utf8 == Utf16ToUtf8(expected);
}

}  // namespace brackwater
