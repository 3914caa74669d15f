#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/replacing_file.h"

namespace brackwater {
namespace {

std::string Reason(int error) { return std::strerror(error); }

constexpr char kSomeoneElsesLink[] =
    "it is a symbolic link in a shared folder that belongs to someone else";

// As many links as Linux follows for one path before it gives up with ELOOP.
constexpr int kMostLinks = 40;

// The one close of a descriptor; a second close after EINTR could close someone else's file.
int CloseOnce(int fd) { return ::close(fd) == 0 || errno == EINTR ? 0 : errno; }

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) CloseOnce(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~Descriptor() {
    if (fd_ >= 0) CloseOnce(fd_);
  }
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Folders on the way are only looked into, which needs no right to read them where the system
// has a way to say so.
#ifdef O_PATH
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// The rule of Linux's fs.protected_symlinks, kept whatever the system's setting: in a folder that
// anyone may write to but only owners delete from, such as /tmp, anyone could have planted a link
// to aim the export at a file of the user's, so only the user's own links and the folder owner's
// are followed.
bool MayFollow(const struct stat& link, const struct stat& folder) {
  const bool shared = (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
  return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

bool ReadLink(int folder, const std::string& name, std::string& text) {
  text.resize(256);
  for (;;) {
    const ssize_t got = ::readlinkat(folder, name.c_str(), text.data(), text.size());
    if (got < 0) return false;
    if (static_cast<std::size_t>(got) < text.size()) {
      text.resize(static_cast<std::size_t>(got));
      return true;
    }
    text.resize(2 * text.size());
  }
}

// Adds the components of a path to those still to be walked, which are taken from the back.
void PushComponents(std::string_view path, std::vector<std::string>& pending) {
  std::vector<std::string> components;
  for (std::size_t start = 0; start < path.size();) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) components.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  // A final slash asks for a folder.
  if (!path.empty() && path.back() == '/') components.emplace_back(".");
  pending.insert(pending.end(), components.rbegin(), components.rend());
}

// Where a path leads: the folder that holds its last component, open, and that component's name.
// The links on the way are followed here rather than by the system, one at a time, so that each
// can be judged, and the folder is held so that what was judged is what is written.
struct Place {
  Descriptor folder;
  std::string name;
  bool exists = false;
  struct stat info {};
};

// The reason when the path leads nowhere that may be written; empty when it does.
std::string Resolve(const std::string& path, Place& place) {
  if (path.empty()) return Reason(ENOENT);
  Descriptor folder(::open(path.front() == '/' ? "/" : ".", kFolderFlags));
  if (folder.Get() < 0) return Reason(errno);
  std::vector<std::string> pending;
  PushComponents(path, pending);
  int links = 0;
  while (!pending.empty()) {
    std::string name = std::move(pending.back());
    pending.pop_back();
    const bool last = pending.empty();
    if (name == "." || name == "..") {
      if (last) return Reason(EISDIR);
      if (name == "..") {
        folder = Descriptor(::openat(folder.Get(), "..", kFolderFlags));
        if (folder.Get() < 0) return Reason(errno);
      }
      continue;
    }
    struct stat info {};
    if (::fstatat(folder.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      // Nothing there yet, or a link that leads nowhere: the file is made there.
      if (!last || errno != ENOENT) return Reason(errno);
      place = {std::move(folder), std::move(name), false, {}};
      return {};
    }
    if (S_ISLNK(info.st_mode)) {
      // Only the owner of a link in a sticky folder, or the folder's owner, can swap it for
      // another, so the owner seen here is the owner of the text read next.
      struct stat folderInfo {};
      if (::fstat(folder.Get(), &folderInfo) != 0) return Reason(errno);
      if (!MayFollow(info, folderInfo)) return kSomeoneElsesLink;
      if (++links > kMostLinks) return Reason(ELOOP);
      std::string text;
      if (!ReadLink(folder.Get(), name, text)) return Reason(errno);
      if (text.empty()) return Reason(ENOENT);
      if (text.front() == '/') {
        folder = Descriptor(::open("/", kFolderFlags));
        if (folder.Get() < 0) return Reason(errno);
      }
      PushComponents(text, pending);
      continue;
    }
    if (last) {
      place = {std::move(folder), std::move(name), true, info};
      return {};
    }
    if (!S_ISDIR(info.st_mode)) return Reason(ENOTDIR);
    folder = Descriptor(::openat(folder.Get(), name.c_str(), kFolderFlags | O_NOFOLLOW));
    if (folder.Get() < 0) return Reason(errno);
  }
  return Reason(ENOENT);
}

// A short name, whatever the length of the destination's, so that any name the system allows can
// be written.
std::string TemporaryName() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  std::string name = ".bw";
  for (int i = 0; i < 6; ++i) name += kLetters[pick(random)];
  return name;
}

// The temporary names that an interrupting signal removes. A record is filled before its folder
// is published and unpublished before it is reused, so that the handler, which may run on any
// thread, needs nothing but atomic loads and unlinkat.
struct Guard {
  std::atomic<bool> taken{false};
  std::atomic<int> folder{-1};
  char name[16] = {};
};
std::array<Guard, 16> guards;

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

void RemoveTemporaries(int signal) {
  for (Guard& guard : guards) {
    const int folder = guard.folder.load();
    if (folder >= 0) ::unlinkat(folder, guard.name, 0);
  }
  // Then the end the signal would have had.
  struct sigaction usual {};
  usual.sa_handler = SIG_DFL;
  ::sigemptyset(&usual.sa_mask);
  ::sigaction(signal, &usual, nullptr);
  ::raise(signal);
}

// Only where the signal would end the program: a program that handles or ignores it has its
// own plans.
void InstallCleanup() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const int signal : kCleanupSignals) {
      struct sigaction current {};
      if (::sigaction(signal, nullptr, &current) != 0) continue;
      if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
      struct sigaction cleanup {};
      cleanup.sa_handler = RemoveTemporaries;
      ::sigemptyset(&cleanup.sa_mask);
      for (const int other : kCleanupSignals) ::sigaddset(&cleanup.sa_mask, other);
      ::sigaction(signal, &cleanup, nullptr);
    }
  });
}

// Keeps the cleanup signals off this thread while a name and its record change together.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    ::sigemptyset(&held);
    for (const int signal : kCleanupSignals) ::sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &saved_);
  }
  ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t saved_{};
};

// The record's number, or -1 when all are taken: the file is then still removed on every
// failure, only not on a signal.
int Protect(int folder, const std::string& name) {
  InstallCleanup();
  for (std::size_t i = 0; i < guards.size(); ++i) {
    bool expected = false;
    if (!guards[i].taken.compare_exchange_strong(expected, true)) continue;
    name.copy(guards[i].name, sizeof guards[i].name - 1);
    guards[i].name[std::min(name.size(), sizeof guards[i].name - 1)] = '\0';
    guards[i].folder.store(folder);
    return static_cast<int>(i);
  }
  return -1;
}

void Unprotect(int& guard) {
  if (guard < 0) return;
  guards[static_cast<std::size_t>(guard)].folder.store(-1);
  guards[static_cast<std::size_t>(guard)].taken.store(false);
  guard = -1;
}

#ifdef O_TMPFILE
// How an unnamed file gets a name without special rights.
std::string ProcName(int fd) { return "/proc/self/fd/" + std::to_string(fd); }
#endif

}  // namespace

std::string ReplacingFile::WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return Reason(errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
#ifdef SYNC_FILE_RANGE_WRITE
  // The disk starts on each block as it is written, so that the flush before the file is put in
  // place waits for little more than the last block. A pipe or device refuses it, harmlessly;
  // any failure that matters shows in that flush.
  ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  return {};
}

void ReplacingFile::Open() {
  Place place;
  if (std::string reason = Resolve(destination_.native(), place); !reason.empty()) {
    Fail(std::move(reason));
  }
  folder_ = place.folder.Release();
  name_ = std::move(place.name);
  const bool exists = place.exists;
  if (exists && S_ISDIR(place.info.st_mode)) Fail(Reason(EISDIR));
  if (exists && !S_ISREG(place.info.st_mode)) {
    // A device or a pipe cannot be replaced, and holds nothing that a failure could lose.
    direct_ = true;
    handle_ = ::openat(folder_, name_.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (handle_ < 0) Fail(Reason(errno));
    return;
  }
  // A file that may not be written stays as it is, as it would without the detour.
  if (exists && ::faccessat(folder_, name_.c_str(), W_OK, 0) != 0) Fail(Reason(errno));
  // A folder held only to look into cannot be flushed; one that may not be read is not.
  if (const int readable = ::openat(folder_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      readable >= 0) {
    CloseOnce(std::exchange(folder_, readable));
  }
  // A new file gets the usual permissions from the system; a replaced one keeps its own.
  const mode_t mode = exists ? 0600 : 0666;

#ifdef O_TMPFILE
  // Unnamed, nothing is left behind whatever ends the program. It needs a way to be named at the
  // end, which /proc gives.
  handle_ = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (handle_ >= 0) {
    struct stat proc {};
    unnamed_ = ::lstat(ProcName(handle_).c_str(), &proc) == 0;
    if (!unnamed_) CloseOnce(std::exchange(handle_, kClosed));
  } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    Fail(Reason(errno));
  }
#endif
  if (!unnamed_) {
    const SignalsHeld held;
    for (int attempt = 1; handle_ < 0; ++attempt) {
      std::string name = TemporaryName();
      handle_ = ::openat(folder_, name.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
      if (handle_ >= 0) {
        temporary_ = std::move(name);
        guard_ = Protect(folder_, temporary_);
      } else if (errno != EEXIST || attempt == 100) {
        Fail(Reason(errno));
      }
    }
  }
  if (exists && ::fchmod(handle_, place.info.st_mode & 07777) != 0) Fail(Reason(errno));
}

void ReplacingFile::PutInPlace() {
  if (!direct_) {
    // On disk before it replaces anything: else a crash soon after could leave neither file.
    if (::fsync(handle_) != 0) Fail(Reason(errno));
  }
#ifdef O_TMPFILE
  if (unnamed_) {
    // A name of its own first, as a link cannot replace anything, only a rename can.
    const std::string source = ProcName(handle_);
    const SignalsHeld held;
    for (int attempt = 1; temporary_.empty(); ++attempt) {
      std::string name = TemporaryName();
      if (::linkat(AT_FDCWD, source.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        temporary_ = std::move(name);
        guard_ = Protect(folder_, temporary_);
      } else if (errno != EEXIST || attempt == 100) {
        Fail(Reason(errno));
      }
    }
  }
#endif
  // Space that runs out at the last moment shows only here, on some file systems.
  if (const int error = CloseOnce(std::exchange(handle_, kClosed))) Fail(Reason(error));
  if (direct_) return;
  {
    const SignalsHeld held;
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) Fail(Reason(errno));
    temporary_.clear();
    Unprotect(guard_);
  }
  // The new name on disk too. A file system that cannot flush a folder has nothing to flush.
  if (::fsync(folder_) != 0 && errno != EINVAL && errno != EBADF) Fail(Reason(errno));
}

void ReplacingFile::Release() {
  if (handle_ != kClosed) CloseOnce(std::exchange(handle_, kClosed));
  {
    const SignalsHeld held;
    // The record goes first: once the name is removed another program may take it, and a signal
    // must not remove that one.
    Unprotect(guard_);
    if (!temporary_.empty()) ::unlinkat(folder_, std::exchange(temporary_, {}).c_str(), 0);
  }
  if (folder_ != kClosed) CloseOnce(std::exchange(folder_, kClosed));
}

}  // namespace brackwater
