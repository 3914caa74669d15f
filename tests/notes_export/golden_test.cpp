// Whole notes files in the shape the browser writes them, each with the exact bytes its export
// file must hold.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "notes_export/notes_conversion.h"
#include "platform/system/text_codec.h"
#include "tests/support/temp_dir.h"

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

std::string Data(std::string_view name, std::string_view extension) {
  return testing::ReadBytes(std::string(BRACKWATER_TEST_DATA) + "/" + std::string(name) +
                            std::string(extension));
}

class GoldenFileTest : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenFileTest, WritesTheExpectedFileBytes) {
  const std::string adr = std::string(GetParam().name) + ".adr";
  const std::string notes = Data(GetParam().name, ".adr");
  const std::u16string adrText(adr.begin(), adr.end());
  const std::string expected = Data(GetParam().name, ".txt");
  ASSERT_FALSE(expected.empty());
  // What the export file holds when the code page is UTF-8, made as the window and as the
  // converter make it.
  EXPECT_EQ(
      Utf16ToUtf8(ExportNotesText(notes, adrText, u"01/02/70", u"03:04:05").value() + u"\r\n"),
      expected)
      << GetParam().covers;
  std::string streamed;
  StreamNotesExportUtf8(notes, adrText, u"01/02/70", u"03:04:05",
                        [&streamed](std::string_view piece) { streamed += piece; });
  EXPECT_EQ(streamed + "\r\n", expected) << GetParam().covers;
}

INSTANTIATE_TEST_SUITE_P(NotesFiles, GoldenFileTest, ::testing::ValuesIn(kGoldens),
                         [](const ::testing::TestParamInfo<Golden>& golden) {
                           return std::string(golden.param.name);
                         });

}  // namespace
}  // namespace brackwater
