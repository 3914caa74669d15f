#include "notes_export/export_file.h"

#include <gtest/gtest.h>

#include "platform/system/files.h"
#include "platform/system/text_codec.h"
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

TEST(WriteExportFile, NotesAreExportedAlikeWhateverTheWay) {
  TempDir dir;
  const std::string notes = "#NOTE\n\tNAME=Заметка\x02\x02два\n\tURL=http://a/\n";
  const std::u16string text = *ExportNotesText(notes, u"notes.adr", u"d", u"t");
  const NotesExport source(notes, u"notes.adr", u"d", u"t");
  WriteExportFile(dir / "made.txt", text, dir / "notes.adr", "CP1251");
  WriteExportFile(dir / "streamed.txt", source, dir / "notes.adr", "CP1251");
  EXPECT_EQ(ReadBytes(dir / "streamed.txt"), ReadBytes(dir / "made.txt"));
  EXPECT_EQ(ReadBytes(dir / "made.txt").substr(0, 6), "\xDD\xEA\xF1\xEF\xEE\xF0");

  const std::string wide = notes + "#NOTE\n\tNAME=中\n";
  const std::u16string wideText = *ExportNotesText(wide, u"notes.adr", u"d", u"t");
  WriteExportFile(dir / "wide.txt", NotesExport(wide, u"notes.adr", u"d", u"t"), dir / "notes.adr",
                  "CP1251");
  EXPECT_EQ(ReadBytes(dir / "wide.txt"), "\xEF\xBB\xBF" + Utf16ToUtf8(wideText + u"\r\n"));
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
#ifdef _WIN32
  // Symbolic links there need an administrator; another spelling of the name is the way to
  // the same file that everyone has.
  for (const char* name : {"notes.txt", "NOTES.TXT"}) {
#else
  std::filesystem::create_symlink("notes.txt", dir / "link.txt");
  for (const char* name : {"notes.txt", "link.txt"}) {
#endif
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
  // Fails after a first piece has been written.
  class Failing final : public ExportSource {
   public:
    void Produce(const ExportSink& sink) const override {
      sink(u"the first part");
      throw FileError("notes.adr", "Input/output error");
    }
    void ProduceUtf8(const Utf8Sink& sink) const override {
      sink("the first part");
      throw FileError("notes.adr", "Input/output error");
    }
  };
  for (const char* codePage : {"UTF-8", "CP1251"}) {
    EXPECT_THROW(WriteExportFile(dir / "out.txt", Failing(), dir / "notes.adr", codePage),
                 FileError);
  }
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "earlier export");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});
}

TEST(ExportNotesFile, AsksForTheMomentAndOutputOnlyForNotesItCanExport) {
  TempDir dir;
  const std::string notes = "#NOTE\r\n\tNAME=a\r\n\tURL=b\r\n";
  WriteBytes(dir / "notes.adr", notes);
  WriteBytes(dir / "own.txt", notes);
  WriteBytes(dir / "empty.adr", "");
  std::vector<std::u16string> asked;
  auto exportFrom = [&](const char* name, const std::u16string& output) {
    asked.clear();
    auto moment = [&] {
      asked.push_back(u"moment");
      return DateTimeText{u"d", u"t"};
    };
    auto choose = [&](const std::u16string& defaultPath) {
      asked.push_back(defaultPath);
      return output;
    };
    return ExportNotesFile(PathToText(dir / name), FileKinds::kRegularOnly, "UTF-8",
                           {moment, choose});
  };
  const struct {
    const char* notesFile;
    std::u16string output;
    ExportFailure failure;
    std::filesystem::path file;
    std::size_t questions;
  } cases[] = {
      {"missing.adr", u"", ExportFailure::kCannotRead, dir / "missing.adr", 0},
      {"empty.adr", u"", ExportFailure::kNoNotes, dir / "empty.adr", 0},
      {"notes.adr", PathToText(dir / "no" / "out"), ExportFailure::kCannotWrite,
       dir / "no" / "out.txt", 2},
      // Without ".adr", the notes file is its own default output.
      {"own.txt", u"", ExportFailure::kCannotWrite, dir / "own.txt", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.notesFile);
    const ExportResult result = exportFrom(c.notesFile, c.output);
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_EQ(result.file, c.file);
    EXPECT_EQ(result.reason.empty(), c.failure == ExportFailure::kNoNotes);
    EXPECT_EQ(asked.size(), c.questions);
  }
  const ExportResult saved = exportFrom("notes.adr", u"");
  EXPECT_EQ(saved.failure, ExportFailure::kNone);
  EXPECT_EQ(saved.exportPath, PathToText(dir / "notes.txt"));
  EXPECT_EQ(asked, (std::vector<std::u16string>{u"moment", PathToText(dir / "notes.txt")}));
  EXPECT_EQ(
      ReadBytes(dir / "notes.txt"),
      Utf16ToUtf8(*ExportNotesText(notes, PathToText(dir / "notes.adr"), u"d", u"t") + u"\r\n"));
  EXPECT_EQ(ReadBytes(dir / "own.txt"), notes);
  EXPECT_EQ(dir.Names(),
            (std::vector<std::string>{"empty.adr", "notes.adr", "notes.txt", "own.txt"}));
}

}  // namespace
}  // namespace brackwater
