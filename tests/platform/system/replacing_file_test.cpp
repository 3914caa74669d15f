#include "platform/system/replacing_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstdint>
#endif

namespace brackwater {
namespace {

using testing::ExpectSystemReason;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

#ifndef _WIN32
mode_t ModeOf(const std::filesystem::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

constexpr uid_t kUser = 65534;  // nobody
constexpr uid_t kSomeoneElse = 1234;

// What writing `bytes` to `destination` gives as the unprivileged user: "written", or the reason.
std::string WriteAsUser(const std::filesystem::path& destination, std::string_view bytes) {
  int channel[2];
  if (::pipe(channel) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    std::string result = "written";
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kUser, kUser, kUser) != 0 ||
        ::setresuid(kUser, kUser, kUser) != 0) {
      result = "still root";
    } else {
      try {
        ReplacingFile file(destination);
        file.Write(bytes);
        file.Commit();
      } catch (const FileError& error) {
        result = error.Path() == destination ? error.Reason() : "another path";
      } catch (const std::exception& error) {
        result = error.what();
      }
    }
    const bool sent =
        ::write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
    ::_exit(sent ? 0 : 1);
  }
  ::close(channel[1]);
  std::string result;
  char buffer[256];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
    result.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return result;
}

// Makes this process's system answer that it has no unnamed files, as older kernels and some file
// systems do.
bool RefuseUnnamedFiles() {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  constexpr std::uint32_t kFlagsLow = offsetof(seccomp_data, args[2]);
#else
  constexpr std::uint32_t kFlagsLow = offsetof(seccomp_data, args[2]) + 4;
#endif
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat, 0, 3),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFlagsLow),
      BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, O_TMPFILE & ~O_DIRECTORY, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

#endif

#ifndef _WIN32
// A new file has the usual permissions, and a file replaced keeps its own.
TEST(ReplacingFile, WritesEveryPieceWithTheRightPermissions) {
  TempDir dir;
  WriteBytes(dir / "earlier.txt", "an earlier, longer export");
  ::chmod((dir / "earlier.txt").c_str(), 0640);
  const mode_t mask = ::umask(022);
  for (const auto& [name, mode] : {std::pair{"new.txt", 0644u}, {"earlier.txt", 0640u}}) {
    {
      ReplacingFile file(dir / name);
      file.Write("hello ");
      file.Write("world");
      file.Commit();
    }
    EXPECT_EQ(ReadBytes(dir / name), "hello world");
    EXPECT_EQ(ModeOf(dir / name), mode) << name;
  }
  ::umask(mask);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"earlier.txt", "new.txt"}));
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
  // A failure shows at a later write or at the commit, small export or large: writes past the
  // limit fail with EFBIG, in the middle of a write.
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  for (const auto& [bytes, size] : {std::pair<rlim_t, std::size_t>{4, 24}, {3 << 20, 8 << 20}}) {
    const rlimit limit{bytes, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      ReplacingFile file(dir / "out.txt");
      for (std::size_t written = 0; written < size; written += 8) file.Write("12345678");
      file.Commit();
      ADD_FAILURE() << "the write past the limit succeeded";
    } catch (const FileError& error) {
      EXPECT_EQ(error.Path(), dir / "out.txt");
      EXPECT_EQ(error.Reason(), "File too large");
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(ReadBytes(dir / "out.txt"), "precious");
  }
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});
#endif
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
// Run as an unprivileged user, as the permissions that matter here do not bind root.
TEST(ReplacingFile, WritesOnlyWhereTheUserMayAndNeverThroughSomeoneElsesLink) {
  if (::geteuid() != 0) GTEST_SKIP() << "other users' files can be prepared only by root";
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  // The user's own folder, a shared folder like /tmp, and one that another user shares.
  auto folder = [&](const char* name, mode_t mode, uid_t owner) {
    std::filesystem::create_directory(dir / name);
    ::chmod((dir / name).c_str(), mode);
    ::chown((dir / name).c_str(), owner, owner);
  };
  folder("own", 0755, kUser);
  folder("shared", 01777, 0);
  folder("theirs", 01777, kSomeoneElse);
  auto file = [&](const std::string& name, const char* bytes, mode_t mode) {
    WriteBytes(dir / name, bytes);
    ::chmod((dir / name).c_str(), mode);
    ::chown((dir / name).c_str(), kUser, kUser);
  };
  auto link = [&](const char* target, const std::string& name, uid_t owner) {
    std::filesystem::create_symlink(target, dir / name);
    ::lchown((dir / name).c_str(), owner, owner);
  };
  file("own/precious.txt", "precious", 0644);
  file("own/mine.txt", "old", 0644);
  file("own/shared-by-them.txt", "old", 0644);
  file("own/read-only.txt", "kept", 0444);
  link("../own/precious.txt", "shared/planted.txt", kSomeoneElse);
  link("../own/mine.txt", "shared/mine.txt", kUser);
  link("../own/shared-by-them.txt", "theirs/link.txt", kSomeoneElse);
  link("../shared/planted.txt", "own/chain.txt", kUser);
  link("made.txt", "own/dangling.txt", kUser);
  ASSERT_EQ(::mkfifo((dir / "own/pipe").c_str(), 0600), 0);
  ::chown((dir / "own/pipe").c_str(), kUser, kUser);
  // The reader the pipe waits for, there before the writer comes.
  const int reader = ::open((dir / "own/pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  const std::string longName(255, 'n');

  struct Case {
    const char* what;
    std::filesystem::path destination;
    std::string reason;    // "written" when written
    std::string file;      // a file to look at afterwards, under `dir`
    const char* contents;  // what it holds then
  };
  const std::string someoneElses =
      "it is a symbolic link in a shared folder that belongs to someone else";
  const Case cases[] = {
      {"someone else's link in a shared folder", dir / "shared/planted.txt", someoneElses,
       "own/precious.txt", "precious"},
      {"a link of the user's that leads to it", dir / "own/chain.txt", someoneElses,
       "own/precious.txt", "precious"},
      {"the user's own link there", dir / "shared/mine.txt", "written", "own/mine.txt", "new"},
      {"the link of the shared folder's owner", dir / "theirs/link.txt", "written",
       "own/shared-by-them.txt", "new"},
      {"a link that leads nowhere yet", dir / "own/dangling.txt", "written", "own/made.txt", "new"},
      {"the longest name there is", dir / "own" / longName, "written", "own/" + longName, "new"},
      {"a read-only file", dir / "own/read-only.txt", "Permission denied", "own/read-only.txt",
       "kept"},
      {"a folder", dir / "own", "Is a directory", "", ""},
      {"a device", "/dev/null", "written", "", ""},
      {"a device that is full", "/dev/full", "No space left on device", "", ""},
      {"a pipe", dir / "own/pipe", "written", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(WriteAsUser(c.destination, "new"), c.reason);
    if (!c.file.empty()) {
      EXPECT_EQ(ReadBytes(dir / c.file), c.contents);
    }
  }
  char piped[8] = {};
  EXPECT_EQ(::read(reader, piped, sizeof piped), 3);
  EXPECT_STREQ(piped, "new");
  ::close(reader);
  // No temporary file stays anywhere.
  for (const char* name : {"own", "shared", "theirs"}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir / name)) {
      EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
    }
  }
}

// An export that a signal ends leaves no temporary file, whether the system writes it unnamed or
// it has a name that only the program's own cleanup removes.
TEST(ReplacingFile, ASignalLeavesNoFileBehindAndTheEarlierExportWhole) {
  for (const bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed" : "named");
    TempDir dir;
    if (const int probe = ::open(dir.Path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        probe >= 0) {
      ::close(probe);
    } else if (unnamed) {
      continue;  // the other case is this system's only way
    }
    WriteBytes(dir / "out.txt", "earlier");
    enum Exit { kNoFilter = 2, kOtherWay, kFailed, kNotEnded };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (!unnamed && !RefuseUnnamedFiles()) ::_exit(kNoFilter);
      try {
        ReplacingFile file(dir / "out.txt");
        const std::string piece(65536, 'x');
        for (int i = 0; i < 64; ++i) file.Write(piece);
        // Proof that the way meant is the way taken: a name beside the earlier file, or none.
        if (dir.Names().size() != (unnamed ? 1u : 2u)) ::_exit(kOtherWay);
        ::raise(SIGTERM);
      } catch (...) {
        ::_exit(kFailed);
      }
      ::_exit(kNotEnded);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNoFilter) {
      GTEST_SKIP() << "no seccomp filter to take unnamed files away";
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});
    EXPECT_EQ(ReadBytes(dir / "out.txt"), "earlier");
  }
}
#endif

}  // namespace
}  // namespace brackwater
