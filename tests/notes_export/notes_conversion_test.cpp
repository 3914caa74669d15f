#include "notes_export/notes_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace brackwater {
namespace {

const std::u16string kHyphens(52, u'-');
const std::u16string kHeader =
    u"Экспорт заметок из Опера (C:\\Opera\\notes.adr). Файл создан: "
    u"06.12.2026 в 20:05:04\r\n=====\r\n";

std::u16string Export(std::string_view bytes) {
  return ExportNotesText(bytes, u"C:\\Opera\\notes.adr", u"06.12.2026", u"20:05:04").value();
}

// The notes part of the export of `bytes`, after checking the header before it.
std::u16string Notes(std::string_view bytes) {
  const std::u16string text = Export(bytes);
  EXPECT_TRUE(text.starts_with(kHeader));
  return text.substr(kHeader.size());
}

// `address` with the CR of its line end, as the export shows it.
std::u16string Block(std::u16string_view name, std::u16string_view address) {
  return std::u16string(name) + u"\r\nЛинк: " + std::u16string(address) + kHyphens + u"\r\n";
}

TEST(ExportNotesText, HeaderNamesTheNotesFileAsChosen) {
  EXPECT_EQ(ExportNotesText("", u"notes.adr", u"d", u"t"), std::nullopt);
  EXPECT_EQ(Export("\xEF\xBB\xBF"), kHeader);
  EXPECT_EQ(Export("no notes here"), kHeader);
  EXPECT_EQ(Export("NAME=x"), kHeader + Block(u"x", u""));
}

TEST(ExportNotesText, ByteOrderMarkIsDroppedOnlyWhole) {
  EXPECT_EQ(Notes("\xEF\xBB\xBFNAME=a\r\n\tURL=b\r\n"), Notes("NAME=a\r\n\tURL=b\r\n"));
  // Anywhere else it is a character of the text.
  EXPECT_EQ(Notes("NAME=\xEF\xBB\xBF"
                  "a\r\n\tURL=b\r\n"),
            Block(u"\xFEFF"
                  u"a\r\n",
                  u"b\r"));
  // Too short to hold a mark: decoded as they stand.
  EXPECT_EQ(Notes("\xEF\xBB"), u"");
}

TEST(ExportNotesText, RecordsOfNameThenAddressExportAsTheyAlwaysHave) {
  EXPECT_EQ(Notes("NAME=a\r\n\tURL=b\r\n"), Block(u"a\r\n", u"b\r"));
  // Two notes, in the order of the file; a field between the name and the address stays in the
  // note's text, and one character before "URL=" is dropped.
  EXPECT_EQ(
      Notes("#NOTE\r\n\tNAME=first\r\n\tCREATED=1\r\n\tURL=http://a/\r\n\r\n"
            "#NOTE\r\n\tNAME=second\r\n\tURL=http://b/\r\n\tCREATED=2\r\n"),
      Block(u"first\r\n\tCREATED=1\r\n", u"http://a/\r") + Block(u"second\r\n", u"http://b/\r"));
  // Without record lines the whole text is one record, searched as described: the next name is
  // looked for from the address on, so a name inside an address begins the next note.
  EXPECT_EQ(Notes("NAME=one\r\n\tURL=http://x/?NAME=two\r\n\tURL=http://y/\r\n"),
            Block(u"one\r\n", u"http://x/?NAME=two\r") + Block(u"two\r\n", u"http://y/\r"));
}

TEST(ExportNotesText, PairsOfU0002BecomeLineBreaks) {
  EXPECT_EQ(Notes("NAME=a\x02\x02"
                  "b\x02\x02\x02"
                  "c\x02"
                  "d\r\n\tURL=u\x02\x02v\r\n"),
            Block(u"a\r\nb\r\n\x02"
                  u"c\x02"
                  u"d\r\n",
                  u"u\r\nv\r"));
  // The character before "URL=" is dropped before the pairs are looked for.
  EXPECT_EQ(Notes("NAME=a\x02\x02\x02URL=u\r\n"), Block(u"a\r\n", u"u\r"));
  EXPECT_EQ(Notes("NAME=a\x02\x02URL=u\r\n"), Block(u"a\x02", u"u\r"));
}

TEST(ExportNotesText, LineFeedFilesExportLikeTheirCrLfTwins) {
  const std::string crlf =
      "Opera Hotlist version 2.0\r\nOptions: encoding = utf8, version=3\r\n\r\n"
      "#NOTE\r\n\tID=1\r\n\tNAME=Привет\x02\x02мир\r\n\tURL=http://a/\r\n\tCREATED=1\r\n\r\n"
      "#NOTE\r\n\tID=2\r\n\tNAME=中文 😀\r\n\tCREATED=2\r\n\r\n";
  std::string lf = crlf;
  std::erase(lf, '\r');
  EXPECT_EQ(Notes(lf), Notes(crlf));
  EXPECT_EQ(Notes(crlf), Block(u"Привет\r\nмир\r\n", u"http://a/\r") + Block(u"中文 😀\r\n", u""));
  // A lone CR is a line end too; an address ends at it.
  EXPECT_EQ(Notes("NAME=a\rb\n\tURL=c\rd\n"), Block(u"a\r\nb\r\n", u"c\r"));
}

TEST(ExportNotesText, EveryRecordKeepsItsOwnNotes) {
  // Notes without an address, folders and a lone address neither swallow the records after
  // them nor are lost.
  EXPECT_EQ(Notes("#FOLDER\n\tID=1\n\tNAME=Trash\n\tTRASH FOLDER=YES\n\n"
                  "#NOTE\n\tID=2\n\tNAME=no address\n\tCREATED=5\n\n"
                  "-\n"
                  "#NOTE\n\tID=3\n\tURL=http://only/\n\n"
                  "#NOTE\n\tID=4\n\tNAME=last\n\tURL=http://last/\n"),
            Block(u"Trash\r\n", u"") + Block(u"no address\r\n", u"") +
                Block(u"", u"http://only/\r") + Block(u"last\r\n", u"http://last/\r"));
  // Only a "#" that begins a line begins a record.
  EXPECT_EQ(Notes("NAME=a #NOTE\n\tURL=b\n"), Block(u"a #NOTE\r\n", u"b\r"));
  // Within a record, a name that no address follows is the rest of its line, even when an
  // address stands before it.
  EXPECT_EQ(Notes("#NOTE\n\tURL=http://x/\n\tNAME=after\n\tNAME=again"),
            Block(u"after\r\n", u"") + Block(u"again", u""));
}

TEST(ExportNotesText, AddressAtTheEndOfTheFileIsKept) {
  EXPECT_EQ(Notes("NAME=a\r\n\tURL=http://end/"), Block(u"a\r\n", u"http://end/\r"));
  EXPECT_EQ(Notes("NAME=a\r\n\tURL=http://end/"), Notes("NAME=a\r\n\tURL=http://end/\r\n"));
  EXPECT_EQ(Notes("NAME=a\r\n\tURL="), Block(u"a\r\n", u"\r"));
}

TEST(ExportNotesText, TheCharacterBeforeTheAddressIsDroppedWhole) {
  EXPECT_EQ(Notes("NAME=URL=b\r\n"), Block(u"", u"b\r"));
  EXPECT_EQ(Notes("NAME=xURL=b\r\n"), Block(u"", u"b\r"));
  EXPECT_EQ(Notes("NAME=a\xF0\x9F\x98\x80URL=b\r\n"), Block(u"a", u"b\r"));
  EXPECT_EQ(Notes("NAME=a\xD0\x96URL=b\r\n"), Block(u"a", u"b\r"));
  // A malformed sequence is one character, U+FFFD.
  EXPECT_EQ(Notes("NAME=ab\xF0\x9F\x98URL=c\r\n"), Block(u"ab", u"c\r"));
  EXPECT_EQ(Notes("NAME=a\nURL=b\n"), Block(u"a\r", u"b\r"));
}

TEST(ExportNotesText, MalformedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(Notes("NAME=a\xFF\xE2\x82z\r\n\tURL=h\xC0\xAFx\r\n"),
            Block(u"a\xFFFD\xFFFDz\r\n", u"h\xFFFD\xFFFDx\r"));
  // A malformed sequence cut short by a line end or a marker takes nothing after it.
  EXPECT_EQ(Notes("NAME=a\xE2\r\n\tURL=b\xF0\x9F\r\n"), Block(u"a\xFFFD\r\n", u"b\xFFFD\r"));
}

TEST(ExtractNotes, DecodedTextGivesTheSameNotesAsItsBytes) {
  const std::u16string text =
      u"#NOTE\n\tNAME=a😀\x02\x02"
      u"b\n\tURL=u\n#NOTE\n\tNAME=c";
  EXPECT_EQ(ExtractNotes(text), Block(u"a😀\r\nb\r\n", u"u\r") + Block(u"c", u""));
}

}  // namespace
}  // namespace brackwater
