// Whole notes files in the shape the browser writes them, each with the exact bytes its export
// file must hold.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "notes_export/notes_conversion.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

struct Golden {
  const char* name;
  const char* covers;
};

constexpr Golden kGoldens[] = {
    {"crlf_records", "CR LF records, each a name then an address, with fields around them"},
    {"lf_records", "the same records with LF line ends and no byte-order mark"},
    {"cr_records", "the same records with the lone CR line ends of old Macs"},
    {"folders_and_strays",
     "folders, trash, notes without an address or a name, glued markers, an emoji before "
     "\"URL=\", a NAME= inside an address, a last address without a line end"},
    {"malformed", "invalid and truncated UTF-8 in names and addresses"},
};

void PrintTo(const Golden& golden, std::ostream* out) { *out << golden.name; }

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << "cannot open " << path;
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string DataPath(std::string_view name, std::string_view extension) {
  return std::string(BRACKWATER_TEST_DATA) + "/" + std::string(name) + std::string(extension);
}

std::optional<std::u16string> Export(std::string_view name) {
  const std::string adr = std::string(name) + ".adr";
  return ExportNotesText(ReadBytes(DataPath(name, ".adr")), std::u16string(adr.begin(), adr.end()),
                         u"01/02/70", u"03:04:05");
}

// The export text after the two header lines.
std::u16string NotesPart(const std::u16string& exportText) {
  constexpr std::u16string_view kRule = u"\r\n=====\r\n";
  const std::size_t rule = exportText.find(kRule);
  EXPECT_NE(rule, std::u16string::npos);
  return exportText.substr(rule + kRule.size());
}

class GoldenFileTest : public testing::TestWithParam<Golden> {};

TEST_P(GoldenFileTest, WritesTheExpectedFileBytes) {
  const std::optional<std::u16string> exportText = Export(GetParam().name);
  ASSERT_TRUE(exportText.has_value());
  // What the export file holds when the code page is UTF-8.
  const std::string written = Utf16ToUtf8(*exportText + u"\r\n");
  const std::string expected = ReadBytes(DataPath(GetParam().name, ".txt"));
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(written, expected) << GetParam().covers;

  // The converter's way to the same bytes, straight from UTF-8.
  const std::string adr = std::string(GetParam().name) + ".adr";
  std::string streamed;
  StreamNotesExportUtf8(ReadBytes(DataPath(GetParam().name, ".adr")),
                        std::u16string(adr.begin(), adr.end()), u"01/02/70", u"03:04:05",
                        [&streamed](std::string_view piece) { streamed += piece; });
  EXPECT_EQ(streamed + "\r\n", expected) << GetParam().covers;
}

INSTANTIATE_TEST_SUITE_P(NotesFiles, GoldenFileTest, testing::ValuesIn(kGoldens),
                         [](const testing::TestParamInfo<Golden>& golden) {
                           return std::string(golden.param.name);
                         });

TEST(GoldenTest, LfAndCrFilesExportLikeTheirCrLfTwin) {
  const std::optional<std::u16string> crlf = Export("crlf_records");
  ASSERT_TRUE(crlf.has_value());
  const std::u16string notes = NotesPart(*crlf);
  EXPECT_NE(notes.find(u"Линк: http://"), std::u16string::npos);
  for (const char* twin : {"lf_records", "cr_records"}) {
    const std::optional<std::u16string> text = Export(twin);
    ASSERT_TRUE(text.has_value()) << twin;
    EXPECT_EQ(NotesPart(*text), notes) << twin;
  }
}

}  // namespace
}  // namespace brackwater
