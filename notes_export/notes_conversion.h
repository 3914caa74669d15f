#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brackwater {

// Receives the export text piece by piece, in order.
using ExportSink = std::function<void(std::u16string_view piece)>;
// Receives the UTF-8 form of the export text piece by piece, in order.
using Utf8Sink = std::function<void(std::string_view piece)>;

// The export text of a notes file: its header, naming `inputPath` and the date and time texts,
// and one block per note. Nothing when the file has no bytes.
std::optional<std::u16string> ExportNotesText(std::string_view notesBytes,
                                              std::u16string_view inputPath,
                                              std::u16string_view dateText,
                                              std::u16string_view timeText);

// How long the pieces handed to a sink are: large enough to keep the calls rare, small enough to
// stay in the cache.
inline constexpr std::size_t kExportPieceSize = std::size_t{1} << 16;

// The same export text, handed to `sink` in pieces, so that a large export is never held whole,
// whatever the size of one note. A piece ends between whole characters, never inside a
// surrogate pair, and holds at most `pieceSize` units and a few hundred more. False, with
// nothing handed on, when the file has no bytes.
bool StreamNotesExport(std::string_view notesBytes, std::u16string_view inputPath,
                       std::u16string_view dateText, std::u16string_view timeText,
                       const ExportSink& sink, std::size_t pieceSize = kExportPieceSize);

// The same export text again, as UTF-8: what StreamNotesExport's pieces encode to, made without
// the detour through UTF-16, in pieces that never cut a character's bytes apart.
bool StreamNotesExportUtf8(std::string_view notesBytes, std::u16string_view inputPath,
                           std::u16string_view dateText, std::u16string_view timeText,
                           const Utf8Sink& sink, std::size_t pieceSize = kExportPieceSize);

// Whether the export of these bytes holds any note after its header: every record that holds
// "NAME=" or "URL=" gives one, and neither can straddle the cut between records.
bool HoldsNotes(std::string_view notesBytes);

// The notes part of the export: one block per note of the decoded notes text.
std::u16string ExtractNotes(std::u16string_view workText);

}  // namespace brackwater
