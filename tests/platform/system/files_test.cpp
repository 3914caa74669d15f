#include "platform/system/files.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::ExpectSystemReason;
using testing::TempDir;
using testing::WriteBytes;

TEST(ReadWholeFile, ReadsEveryByteOrNamesTheFileAndReason) {
  TempDir dir;
  const std::string bytes = std::string("\xEF\xBB\xBF\0notes", 9) + std::string(300000, 'x');
  WriteBytes(dir / "notes.adr", bytes);
  EXPECT_EQ(ReadWholeFile(dir / "notes.adr").View(), bytes);
  WriteBytes(dir / "empty.adr", "");
  EXPECT_EQ(ReadWholeFile(dir / "empty.adr").View(), "");
#ifndef _WIN32
  // Files whose size says nothing, and pipes, are read to their end.
  EXPECT_NE(ReadWholeFile("/proc/self/status").View().find("Name:"), std::string::npos);
#endif
  FileBytes moved = ReadWholeFile(dir / "notes.adr");
  moved = ReadWholeFile(dir / "notes.adr");
  const FileBytes kept = std::move(moved);
  EXPECT_EQ(kept.View(), bytes);

  try {
    ReadWholeFile(dir / "missing.adr");
    FAIL() << "a missing file was read";
  } catch (const FileError& error) {
    EXPECT_EQ(error.Path(), dir / "missing.adr");
#ifdef _WIN32
    ExpectSystemReason(error.Reason());
#else
    EXPECT_EQ(error.Reason(), "No such file or directory");
#endif
    EXPECT_EQ(std::string(error.what()), (dir / "missing.adr").string() + ": " + error.Reason());
  }
  EXPECT_THROW(ReadWholeFile(dir.Path()), FileError);
}

TEST(SameFile, FollowsLinksAndNeedsBothFiles) {
  TempDir dir;
  WriteBytes(dir / "notes.txt", "x");
  WriteBytes(dir / "other.txt", "x");
  std::filesystem::create_hard_link(dir / "notes.txt", dir / "hard.txt");
  EXPECT_TRUE(SameFile(dir / "notes.txt", dir / "." / "notes.txt"));
#ifndef _WIN32
  std::filesystem::create_symlink("notes.txt", dir / "soft.txt");
  EXPECT_TRUE(SameFile(dir / "soft.txt", dir / "notes.txt"));
#endif
  EXPECT_TRUE(SameFile(dir / "hard.txt", dir / "notes.txt"));
  EXPECT_FALSE(SameFile(dir / "other.txt", dir / "notes.txt"));
  EXPECT_FALSE(SameFile(dir / "missing.txt", dir / "missing.txt"));
}

#ifdef _WIN32
TEST(PathText, NamesAreTheirUtf16EvenWhenNotWellFormed) {
  const std::u16string text = u"C:\\Users\\Привет中\\notes.adr";
  EXPECT_EQ(TextToPath(text).native(), L"C:\\Users\\Привет中\\notes.adr");
  EXPECT_EQ(PathToText(TextToPath(text)), text);
  const std::u16string odd = u"C:\\n\xD800.adr";
  EXPECT_EQ(PathToText(TextToPath(odd)), odd);
}
#else
TEST(PathText, NamesThatAreNotUtf8SurviveTheTrip) {
  const std::filesystem::path odd = "/tmp/\xFF\xFEnotes\xD0.adr";
  EXPECT_EQ(TextToPath(PathToText(odd)), odd);
  EXPECT_EQ(PathToText("/home/я/notes.adr"), u"/home/я/notes.adr");
}
#endif

}  // namespace
}  // namespace brackwater
