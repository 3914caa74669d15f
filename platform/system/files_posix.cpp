#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/system/files.h"
#include "platform/system/memory.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// The one close of a descriptor; a second close after EINTR could close someone else's file.
int CloseOnce(int fd) { return ::close(fd) == 0 || errno == EINTR ? 0 : errno; }

}  // namespace

std::u16string PathToText(const std::filesystem::path& path) {
  return Utf8ToUtf16(path.native(), Utf8Errors::kEscape);
}

std::filesystem::path TextToPath(std::u16string_view text) {
  return Utf16ToUtf8(text, Utf8Errors::kEscape);
}

FileBytes::~FileBytes() {
  if (mapped_ != nullptr) ::munmap(const_cast<char*>(mapped_), size_);
}

FileBytes ReadWholeFile(const std::filesystem::path& path, FileReading reading) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError(path, Reason(errno));
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (reading == FileReading::kMapped && regular && info.st_size > 0) {
    const auto size = static_cast<std::size_t>(info.st_size);
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (mapped != MAP_FAILED) {
      ::close(fd);
      return FileBytes(static_cast<const char*>(mapped), size);
    }
  }
  // Read to the end, not to the size taken: pipes and the files of /proc have none, and a file
  // may change meanwhile. One byte past the size lets the read that finds the end fit.
  std::string bytes;
  bytes.reserve(regular ? static_cast<std::size_t>(info.st_size) + 1 : 65536);
  AdviseLargePages(bytes.data(), bytes.capacity());
  bytes.resize(bytes.capacity());
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(2 * bytes.size());
    const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      throw FileError(path, Reason(error));
    }
    used += static_cast<std::size_t>(got);
  }
  ::close(fd);
  bytes.resize(used);
  return FileBytes(std::move(bytes));
}

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
