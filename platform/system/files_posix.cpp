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

}  // namespace brackwater
