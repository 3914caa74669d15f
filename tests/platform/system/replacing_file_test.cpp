#include "platform/system/replacing_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

namespace brackwater {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

#ifdef _WIN32
// The system's own words, in the user's language: only their form is known beforehand.
void ExpectSystemReason(const std::string& reason) {
  EXPECT_FALSE(reason.empty() || reason.back() == '.' || reason.back() == '\n' ||
               reason.starts_with("Windows error"))
      << reason;
}
#else
mode_t ModeOf(const std::filesystem::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

// Makes writes past `bytes` fail with EFBIG while it lives: a failure in the middle of a write.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, saved_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int);
};
#endif

#ifndef _WIN32
TEST(ReplacingFile, CreatesAFileWithTheUsualPermissions) {
  TempDir dir;
  const mode_t mask = ::umask(022);
  {
    ReplacingFile file(dir / "out.txt");
    file.Write("hello ");
    file.Write("world");
    file.Commit();
  }
  ::umask(mask);
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "hello world");
  EXPECT_EQ(ModeOf(dir / "out.txt"), 0644u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});
}

TEST(ReplacingFile, ReplacesAnEarlierFileKeepingItsPermissions) {
  TempDir dir;
  WriteBytes(dir / "out.txt", "an earlier, longer export");
  ::chmod((dir / "out.txt").c_str(), 0640);
  {
    ReplacingFile file(dir / "out.txt");
    file.Write("new");
    file.Commit();
  }
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "new");
  EXPECT_EQ(ModeOf(dir / "out.txt"), 0640u);
}
#endif

TEST(ReplacingFile, LeavesTheEarlierFileWhenNotCompleted) {
  TempDir dir;
  WriteBytes(dir / "out.txt", "precious");
  {
    ReplacingFile file(dir / "out.txt");
    file.Write("half of it");
  }
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "precious");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});

#ifndef _WIN32
  // A failure shows at a later write or at the commit, small export or large.
  struct Case {
    rlim_t limit;
    std::size_t size;
  };
  for (const Case c : {Case{4, 24}, Case{3 << 20, 8 << 20}}) {
    try {
      const FileSizeLimit limit(c.limit);
      ReplacingFile file(dir / "out.txt");
      for (std::size_t written = 0; written < c.size; written += 8) file.Write("12345678");
      file.Commit();
      ADD_FAILURE() << "the write past the limit succeeded";
    } catch (const FileError& error) {
      EXPECT_EQ(error.Path(), dir / "out.txt");
      EXPECT_EQ(error.Reason(), "File too large");
    }
    EXPECT_EQ(ReadBytes(dir / "out.txt"), "precious");
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});
#endif
}

TEST(ReplacingFile, LargeFilesArriveWholeAndInOrder) {
  TempDir dir;
  std::string expected;
  {
    ReplacingFile file(dir / "large.txt");
    for (int piece = 0; expected.size() < (std::size_t{5} << 20); ++piece) {
      const std::string bytes(static_cast<std::size_t>(piece % 7919),
                              static_cast<char>('a' + piece % 26));
      file.Write(bytes);
      expected += bytes;
    }
    file.Commit();
  }
  EXPECT_TRUE(ReadBytes(dir / "large.txt") == expected);
}

#ifdef _WIN32
TEST(ReplacingFile, ReplacesOnlyWhatMayBeWrittenAndLeavesNothingBehind) {
  TempDir dir;
  // A name that no ANSI code page holds whole.
  const std::filesystem::path name = dir.Path() / u8"Привет中.txt";
  WriteBytes(name, "earlier");
  {
    ReplacingFile file(name);
    file.Write("new");
    file.Commit();
  }
  EXPECT_EQ(ReadWholeFile(name).View(), "new");
  EXPECT_EQ(ReadWholeFile(name, FileReading::kCopied).View(), "new");

  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY);
  std::filesystem::create_directory(dir / "folder.txt");
  for (const std::filesystem::path& destination :
       {name, dir / "folder.txt", dir / "no-such-folder" / "out.txt"}) {
    try {
      ReplacingFile file(destination);
      file.Write("lost");
      file.Commit();
      ADD_FAILURE() << "wrote " << destination;
    } catch (const FileError& error) {
      EXPECT_EQ(error.Path(), destination);
      ExpectSystemReason(error.Reason());
      EXPECT_EQ(std::string(error.what()), destination.string() + ": " + error.Reason());
    }
  }
  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(name), "new");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"folder.txt", "Привет中.txt"}));
}
#else
TEST(ReplacingFile, WritesThroughALinkAndKeepsTheLink) {
  TempDir dir;
  WriteBytes(dir / "real.txt", "old");
  std::filesystem::create_symlink("real.txt", dir / "link.txt");
  {
    ReplacingFile file(dir / "link.txt");
    file.Write("new");
    file.Commit();
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadBytes(dir / "real.txt"), "new");
}

TEST(ReplacingFile, ReportsDestinationsThatCannotBeWritten) {
  TempDir dir;
  auto reasonFor = [](const std::filesystem::path& destination) -> std::string {
    try {
      ReplacingFile file(destination);
      file.Write(std::string(100000, 'x'));
      file.Commit();
    } catch (const FileError& error) {
      EXPECT_EQ(error.Path(), destination);
      return error.Reason();
    }
    return "written";
  };
  EXPECT_EQ(reasonFor(dir / "no-such-folder" / "out.txt"), "No such file or directory");
  std::filesystem::create_directory(dir / "folder.txt");
  EXPECT_EQ(reasonFor(dir / "folder.txt"), "Is a directory");
  // A full disk, through a device that cannot be replaced and so is written directly.
  std::filesystem::create_symlink("/dev/full", dir / "full.txt");
  EXPECT_EQ(reasonFor(dir / "full.txt"), "No space left on device");
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}
#endif

}  // namespace
}  // namespace brackwater
