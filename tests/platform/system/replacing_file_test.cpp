#include "platform/system/replacing_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <thread>
#include <tuple>
#endif

namespace brackwater {
namespace {

// What writing `bytes` `times` times to `destination` gives: "written", or the system's reason.
std::string Attempt(const std::filesystem::path& destination, std::string_view bytes,
                    int times = 1) try {
  ReplacingFile file(destination);
  for (int i = 0; i < times; ++i) file.Write(bytes);
  file.Commit();
  return "written";
} catch (const FileError& error) {
  return error.Path() == destination ? error.Reason() : "another path";
}

TEST(ReplacingFile, LeavesTheEarlierFileWhenNotCompleted) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "out.txt", "precious");
  ReplacingFile(dir / "out.txt").Write("half of it");
#ifdef _WIN32
  // A file that may not be written is refused, not replaced.
  SetFileAttributesW((dir / "out.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  testing::ExpectSystemReason(Attempt(dir / "out.txt", "lost"));
  SetFileAttributesW((dir / "out.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
#else
  // A failure shows at a later write or at the commit, small export or large (written on the
  // second thread): writes past the limit fail with EFBIG, in the middle of a write.
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  for (const auto& [bytes, size] : {std::pair<rlim_t, std::size_t>{4, 8}, {3 << 20, 1 << 20}}) {
    const rlimit limit{bytes, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(Attempt(dir / "out.txt", std::string(size, 'x'), 8), "File too large");
    ::setrlimit(RLIMIT_FSIZE, &saved);
  }
  std::signal(SIGXFSZ, previous);
#endif
  EXPECT_EQ(testing::ReadBytes(dir / "out.txt"), "precious");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});
}

#ifndef _WIN32
// Hides /proc from the calling thread, which then has no way to give an unnamed file a name: the
// file is written under a temporary one, as where the system has no unnamed files.
bool HideProc() {
  return ::unshare(CLONE_NEWNS) == 0 &&
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount("none", "/proc", "tmpfs", 0, nullptr) == 0;
}

constexpr uid_t kUser = 65534;  // nobody
constexpr uid_t kSomeoneElse = 1234;

// Each case is written unnamed, then under a temporary name, by the unprivileged user, whom the
// permissions that matter here bind, unlike root. A new file has the usual permissions, and a
// file replaced keeps its own.
TEST(ReplacingFile, WritesOnlyWhereTheUserMayAndNeverThroughSomeoneElsesLink) {
  if (::geteuid() != 0) GTEST_SKIP() << "other users' files can be prepared only by root";
  testing::TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  // The user's own folder, a shared folder like /tmp, and one that another user shares; links
  // (with a mode of 0 here) that lead nowhere get the file they name.
  const std::tuple<std::string, mode_t, uid_t, std::string> entries[] = {
      {"own", S_IFDIR | 0755, kUser, ""},
      {"shared", S_IFDIR | 01777, 0, ""},
      {"theirs", S_IFDIR | 01777, kSomeoneElse, ""},
      {"own/precious.txt", 0644, kUser, ""},
      {"own/read-only.txt", 0444, kUser, ""},
      {"own/theirs.txt", 0604, kUser, ""},
      {"shared/planted.txt", 0, kSomeoneElse, "../own/precious.txt"},
      {"own/chain.txt", 0, kUser, "../shared/planted.txt"},
      {"shared/mine.txt", 0, kUser, "../own/mine.txt"},
      {"theirs/link.txt", 0, kSomeoneElse, "../own/theirs.txt"},
      // Absolute, over "." and "..", and longer than a first look at a link reads.
      {"own/far.txt", 0, kUser, (dir / "own/.").string() + std::string(300, '/') + "../own/far"},
  };
  for (const auto& [name, mode, owner, link] : entries) {
    if (!link.empty()) {
      std::filesystem::create_symlink(link, dir / name);
    } else if (S_ISDIR(mode)) {
      std::filesystem::create_directory(dir / name);
    } else {
      testing::WriteBytes(dir / name, "old");
    }
    if (link.empty()) ::chmod((dir / name).c_str(), mode & 07777);
    ::lchown((dir / name).c_str(), owner, owner);
  }
  ASSERT_EQ(::mkfifo((dir / "own/pipe").c_str(), 0600), 0);
  ::chown((dir / "own/pipe").c_str(), kUser, kUser);
  // The reader the pipe waits for, there before the writer comes.
  const int reader = ::open((dir / "own/pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const char* refused = "it is a symbolic link in a shared folder that belongs to someone else";
  // Where it is written (under `dir`, or a device), what that gives, and a file under `dir` with
  // what it holds afterwards.
  const std::tuple<std::string, std::string, std::string, const char*> cases[] = {
      {"shared/planted.txt", refused, "own/precious.txt", "old"},
      {"own/chain.txt", refused, "own/precious.txt", "old"},
      {"shared/mine.txt", "written", "own/mine.txt", "new"},
      {"theirs/link.txt", "written", "own/theirs.txt", "new"},
      {"own/far.txt", "written", "own/far", "new"},
      {"own/" + std::string(255, 'n'), "written", "own/" + std::string(255, 'n'), "new"},
      {"own/read-only.txt", "Permission denied", "own/read-only.txt", "old"},
      {"new.txt", "Permission denied", "own/precious.txt", "old"},
      {"/dev/full", "No space left on device", "own/precious.txt", "old"},
      {"own/pipe", "written", "own/precious.txt", "old"},
  };
  const mode_t mask = ::umask(022);
  bool procHidden = true;
  for (const bool named : {false, true}) {
    // The credentials of this thread alone.
    std::thread([&] {
      if (named && !(procHidden = HideProc())) return;
      ASSERT_TRUE(::syscall(SYS_setresgid, kUser, kUser, kUser) == 0 &&
                  ::syscall(SYS_setresuid, kUser, kUser, kUser) == 0);
      for (const auto& [destination, result, file, contents] : cases) {
        SCOPED_TRACE(destination + (named ? ", named" : ""));
        EXPECT_EQ(Attempt(dir / destination, "new"), result);
        EXPECT_EQ(testing::ReadBytes(dir / file), contents);
      }
    }).join();
  }
  ::umask(mask);
  for (const auto& [name, mode] : {std::pair{"own/mine.txt", 0644}, {"own/theirs.txt", 0604}}) {
    EXPECT_EQ(std::filesystem::status(dir / name).permissions(), std::filesystem::perms(mode));
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "own/pipe"));
  ::close(reader);
  // No temporary file stays anywhere.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
  }
  // A container may refuse even root a mount of its own.
  if (!procHidden) GTEST_SKIP() << "/proc could not be hidden: the named files were not tried";
}

// An export that a signal ends leaves no temporary file, though it has a name, which only the
// program's own cleanup removes, where the system has no unnamed files.
TEST(ReplacingFile, ASignalLeavesNoFileBehindAndTheEarlierExportWhole) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "out.txt", "earlier");
  const pid_t child = ::fork();
  if (child == 0) {
    if (!HideProc()) ::_exit(2);
    ReplacingFile file(dir / "out.txt");
    file.Write(std::string(4 << 20, 'x'));
    // Proof that the way meant is the way taken: a name beside the earlier file.
    if (dir.Names().size() == 2) ::raise(SIGTERM);
    ::_exit(3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "/proc can be hidden by root";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(testing::ReadBytes(dir / "out.txt"), "earlier");
}
#endif

}  // namespace
}  // namespace brackwater
