#include "notes_export/export_file.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(WriteExportFile, WritesTheCodePageAndOneLastLineEnd) {
  TempDir dir;
  WriteExportFile(dir / "utf8.txt", u"Линк: 中\r\n", dir / "notes.adr", "UTF-8");
  EXPECT_EQ(ReadBytes(dir / "utf8.txt"), "\xD0\x9B\xD0\xB8\xD0\xBD\xD0\xBA: \xE4\xB8\xAD\r\n\r\n");
  WriteExportFile(dir / "cp1251.txt", u"Линк: x\r\n", dir / "notes.adr", "CP1251");
  EXPECT_EQ(ReadBytes(dir / "cp1251.txt"), "\xCB\xE8\xED\xEA: x\r\n\r\n");
}

TEST(WriteExportFile, FallsBackToUtf8WithAMarkRatherThanLoseCharacters) {
  TempDir dir;
  WriteExportFile(dir / "out.txt", u"Линк: 中 😀", dir / "notes.adr", "CP1251");
  EXPECT_EQ(ReadBytes(dir / "out.txt"),
            "\xEF\xBB\xBF\xD0\x9B\xD0\xB8\xD0\xBD\xD0\xBA: \xE4\xB8\xAD \xF0\x9F\x98\x80\r\n");
}

TEST(WriteExportFile, LongTextsKeepCharactersThatStraddlePieces) {
  TempDir dir;
  std::u16string text;
  for (int i = 0; i < 50000; ++i) text += u"a😀";
  std::string expected;
  for (int i = 0; i < 50000; ++i) expected += "a\xF0\x9F\x98\x80";
  WriteExportFile(dir / "out.txt", text, dir / "notes.adr", "UTF-8");
  EXPECT_EQ(ReadBytes(dir / "out.txt"), expected + "\r\n");
}

TEST(WriteExportFile, NeverReplacesTheNotesFile) {
  TempDir dir;
  WriteBytes(dir / "notes.txt", "NAME=a\r\nURL=b\r\n");
  std::filesystem::create_symlink("notes.txt", dir / "link.txt");
  for (const char* name : {"notes.txt", "link.txt"}) {
    try {
      WriteExportFile(dir / name, u"export", dir / "notes.txt", "UTF-8");
      FAIL() << "wrote over the notes file as " << name;
    } catch (const FileError& error) {
      EXPECT_EQ(error.Path(), dir / name);
      EXPECT_NE(error.Reason().find("notes file"), std::string::npos);
    }
  }
  EXPECT_EQ(ReadBytes(dir / "notes.txt"), "NAME=a\r\nURL=b\r\n");
}

TEST(WriteExportFile, AFailureLeavesTheEarlierExport) {
  TempDir dir;
  WriteBytes(dir / "out.txt", "earlier export");
  auto failing = [](const ExportSink& sink) {
    sink(u"the first part");
    throw FileError("notes.adr", "Input/output error");
  };
  EXPECT_THROW(WriteExportFile(dir / "out.txt", failing, dir / "notes.adr", "UTF-8"), FileError);
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "earlier export");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});
}

}  // namespace
}  // namespace brackwater
