#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/system/replacing_file.h"

namespace brackwater {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// The one close of a descriptor; a second close after EINTR could close someone else's file.
int CloseOnce(int fd) { return ::close(fd) == 0 || errno == EINTR ? 0 : errno; }

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
  return {};
}

void ReplacingFile::Open() {
  std::error_code error;
  if (std::filesystem::is_symlink(destination_, error)) {
    const auto resolved = std::filesystem::canonical(destination_, error);
    if (!error) target_ = resolved;
  }
  struct stat info {};
  const bool exists = ::stat(target_.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) Fail(Reason(EISDIR));
  if (exists && !S_ISREG(info.st_mode)) {
    // A device or a pipe cannot be replaced, and holds nothing that a failure could lose.
    handle_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (handle_ < 0) Fail(Reason(errno));
    return;
  }
  // A file that may not be written stays as it is, as it would without the detour.
  if (exists && ::access(target_.c_str(), W_OK) != 0) Fail(Reason(errno));

  std::string pattern =
      (target_.parent_path() / ("." + target_.filename().string() + ".XXXXXX")).string();
  handle_ = ::mkstemp(pattern.data());
  if (handle_ < 0) Fail(Reason(errno));
  temporary_ = pattern;
  mode_t mode;
  if (exists) {
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(handle_, mode) != 0) Fail(Reason(errno));
}

void ReplacingFile::PutInPlace() {
  const int fd = std::exchange(handle_, kClosed);
  // Space that runs out at the last moment shows only here, on some file systems.
  if (const int error = CloseOnce(fd)) Fail(Reason(error));
  if (temporary_.empty()) return;
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(Reason(errno));
  temporary_.clear();
}

void ReplacingFile::Release() {
  if (handle_ != kClosed) CloseOnce(std::exchange(handle_, kClosed));
  if (!temporary_.empty()) ::unlink(std::exchange(temporary_, {}).c_str());
}

}  // namespace brackwater
