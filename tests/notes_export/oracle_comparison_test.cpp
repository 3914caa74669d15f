// The fast conversion against the step-by-step one, on many small random notes texts built from
// the pieces that matter to it. The seeds are fixed, so every run checks the same inputs.

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "notes_export/notes_conversion.h"
#include "platform/system/text_codec.h"
#include "tests/notes_export/oracle.h"

namespace brackwater {
namespace {

constexpr int kCases = 3000;
constexpr std::size_t kPieceSizes[] = {1, 2, 3, 5, 8, 13, 64, kExportPieceSize};
// How far past its size a piece may run: the step that crosses the size ends it.
constexpr std::size_t kPieceSlack = 256;

// Every unit of `text` in hex, to rebuild a failing input from.
template <typename Unit>
std::string Literal(std::basic_string_view<Unit> text) {
  std::string hex;
  for (const Unit unit : text) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, " %X",
                  static_cast<unsigned>(static_cast<std::make_unsigned_t<Unit>>(unit)));
    hex += buffer;
  }
  return hex;
}

// The engine's output is the same everywhere, while the standard distributions differ between
// libraries: a plain remainder keeps the inputs the same on every platform.
std::size_t Below(std::size_t bound, std::mt19937& random) { return random() % bound; }

// Up to 30 tokens picked at random, joined.
template <typename Char>
std::basic_string<Char> RandomText(const std::vector<std::basic_string_view<Char>>& tokens,
                                   std::mt19937& random) {
  std::basic_string<Char> text;
  for (std::size_t count = Below(31, random); count > 0; --count) {
    text += tokens[Below(tokens.size(), random)];
  }
  return text;
}

TEST(OracleComparisonTest, ExportOfRandomFilesMatches) {
  // Markers, line ends, record starts, line-break characters, characters of one to four bytes,
  // and UTF-8 that is cut short or never valid.
  const std::vector<std::string_view> tokens = {
      "NAME=",    "URL=", "\r",       "\n",   "\r\n",     "\x02",     "\x02\x02", "#",   "\n#",
      "\t",       "a",    "Ж",        "中",   "😀",        "=",        "N",        "U",   "URL",
      "\xE2\x82", "\xFF", "\xF0\x9F", "\xED", "\xA0\x80", "\xE0\x80", "\xF4\x90", "\xC1"};
  std::mt19937 random(20240611);
  for (int i = 0; i < kCases; ++i) {
    // A byte-order mark, the start of one only, or neither.
    constexpr const char* kStarts[] = {"\xEF\xBB\xBF", "\xEF\xBB", "", ""};
    std::string bytes = kStarts[Below(4, random)] + RandomText(tokens, random);
    const std::optional<std::u16string> fast =
        ExportNotesText(bytes, u"notes.adr", u"01/02/70", u"03:04:05");
    const std::optional<std::u16string> expected =
        oracle::ExportNotesText(bytes, u"notes.adr", u"01/02/70", u"03:04:05");
    ASSERT_EQ(fast, expected) << "bytes: " << Literal(std::string_view(bytes));

    // Streamed in pieces of every size down to one unit: the same text, cut only between
    // characters, each piece near its size.
    const std::size_t pieceSize = kPieceSizes[i % std::size(kPieceSizes)];
    std::u16string streamed;
    std::string utf8;
    bool whole = true;
    const bool any = StreamNotesExport(
        bytes, u"notes.adr", u"01/02/70", u"03:04:05",
        [&](std::u16string_view piece) {
          whole = whole && !piece.empty() && piece.size() <= pieceSize + kPieceSlack &&
                  !(!streamed.empty() && IsHighSurrogate(streamed.back()) &&
                    IsLowSurrogate(piece.front()));
          streamed += piece;
        },
        pieceSize);
    StreamNotesExportUtf8(
        bytes, u"notes.adr", u"01/02/70", u"03:04:05",
        [&](std::string_view piece) {
          whole = whole && !piece.empty() && piece.size() <= pieceSize + kPieceSlack &&
                  (piece.front() & 0xC0) != 0x80;
          utf8 += piece;
        },
        pieceSize);
    ASSERT_EQ(any, expected.has_value());
    ASSERT_TRUE(whole && streamed == expected.value_or(u"") &&
                utf8 == Utf16ToUtf8(expected.value_or(u"")))
        << "pieces of " << pieceSize << ", bytes: " << Literal(std::string_view(bytes));
  }
}

TEST(OracleComparisonTest, ExtractionOfRandomTextMatches) {
  // As above, on text: surrogate pairs whole and split, and lone halves of either kind.
  const std::vector<std::u16string_view> tokens = {
      u"NAME=", u"URL=", u"\r", u"\n", u"\r\n", u"\x02", u"#", u"\n#",    u"\t",     u"a",
      u"Ж",     u"中",   u"😀",  u"=",  u"N",    u"U",    u"L", u"\xD83D", u"\xDE00", u"\xDBFF"};
  std::mt19937 random(7);
  for (int i = 0; i < kCases; ++i) {
    const std::u16string text = RandomText(tokens, random);
    const std::u16string fast = ExtractNotes(text);
    const std::u16string expected = oracle::ExtractNotes(text);
    ASSERT_EQ(fast, expected) << "text: " << Literal(std::u16string_view(text));
  }
}

}  // namespace
}  // namespace brackwater
