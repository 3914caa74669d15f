#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

#include "platform/system/files.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// Closes a descriptor on every way out, once: a second close after EINTR could close another
// file that took its number.
struct Descriptor {
  explicit Descriptor(int opened) : fd(opened) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  const int fd;
};

}  // namespace

std::u16string PathToText(const std::filesystem::path& path) {
  return Utf8ToUtf16(path.native(), Utf8Errors::kEscape);
}

std::filesystem::path TextToPath(std::u16string_view text) {
  return Utf16ToUtf8(text, Utf8Errors::kEscape);
}

FileBytes ReadWholeFile(const std::filesystem::path& path, FileKinds kinds) {
  // Where only a regular file will do, a pipe without a writer must not keep open() waiting.
  const int flags = O_RDONLY | O_CLOEXEC | (kinds == FileKinds::kRegularOnly ? O_NONBLOCK : 0);
  const Descriptor file(::open(path.c_str(), flags));
  if (file.fd < 0) throw FileError(path, Reason(errno));
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) throw FileError(path, Reason(errno));
  if (S_ISDIR(info.st_mode)) throw FileError(path, Reason(EISDIR));
  const bool regular = S_ISREG(info.st_mode);
  if (!regular && kinds == FileKinds::kRegularOnly) {
    throw FileError(path, std::string(kNotRegularFile));
  }
  FileBytes bytes;
  if (regular && info.st_size > 0) {
    if (!std::in_range<std::size_t>(info.st_size)) throw std::bad_alloc();
    bytes.Reserve(static_cast<std::size_t>(info.st_size));
  }
  // Read to the end, not to the size taken: pipes and the files of /proc and /sys have none or
  // another, and a file may change meanwhile. Once the room is full, a small read tells the end
  // from more bytes.
  char probe[4096];
  for (;;) {
    const bool full = bytes.Room() == 0;
    const std::size_t wanted = std::min<std::size_t>(full ? sizeof probe : bytes.Room(), 1 << 30);
    const ssize_t got = ::read(file.fd, full ? probe : bytes.End(), wanted);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileError(path, Reason(errno));
    }
    if (full) {
      bytes.Append(probe, static_cast<std::size_t>(got));
    } else {
      bytes.size_ += static_cast<std::size_t>(got);
    }
  }
  bytes.Fit();
  return bytes;
}

}  // namespace brackwater
