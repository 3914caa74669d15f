#pragma once

// A slow, step-by-step statement of the notes conversion, written for clarity alone. The fast
// conversion is checked against it, so it shares no code with it, not even a UTF-8 decoder.

#include <optional>
#include <string>
#include <string_view>

namespace brackwater::oracle {

// UTF-8 to UTF-16, with one U+FFFD for each maximal ill-formed subsequence.
std::u16string DecodeUtf8(std::string_view bytes);

// The notes part made from a decoded notes text.
std::u16string ExtractNotes(std::u16string_view workText);

// The whole export text, or nothing when the file has no bytes.
std::optional<std::u16string> ExportNotesText(std::string_view notesBytes,
                                              std::u16string_view inputPath,
                                              std::u16string_view dateText,
                                              std::u16string_view timeText);

}  // namespace brackwater::oracle
