#include "platform/files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/memory.h"
#include "platform/text_codec.h"

namespace brackwater {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// The one close of a descriptor; a second close after EINTR could close someone else's file.
int CloseOnce(int fd) { return ::close(fd) == 0 || errno == EINTR ? 0 : errno; }

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return 0;
}

}  // namespace

// Writes a large block at a time on a second thread, so that writing one block overlaps the
// making of the next: for a large export, writing is a good part of the whole time. A failure
// comes back from the next call.
class ReplacingFile::BlockWriter {
 public:
  explicit BlockWriter(int fd) : fd_(fd) {}
  ~BlockWriter() { Stop(); }

  int Write(std::string_view bytes) {
    filling_.append(bytes);
    return filling_.size() < kBlockSize ? 0 : Hand();
  }

  // Writes what is left and waits until everything is written.
  int Finish() {
    if (!thread_.joinable()) return WriteAll(fd_, filling_);
    const int error = Hand();
    Stop();
    return error != 0 ? error : error_;
  }

  // Waits for the block being written, if any; what was not handed on is dropped.
  void Stop() {
    if (!thread_.joinable()) return;
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

 private:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

  int Hand() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !full_; });
    if (error_ != 0) return error_;
    if (filling_.empty()) return 0;
    std::swap(filling_, pending_);
    full_ = true;
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    lock.unlock();
    changed_.notify_all();
    filling_.clear();
    return 0;
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return full_ || stopping_; });
      if (!full_) return;
      // The caller leaves `pending_` alone while it is full.
      lock.unlock();
      const int error = WriteAll(fd_, pending_);
      lock.lock();
      pending_.clear();
      if (error != 0) error_ = error;
      full_ = false;
      changed_.notify_all();
    }
  }

  const int fd_;
  std::string filling_;  // the caller's
  std::string pending_;  // the writer's while `full_`
  std::mutex mutex_;
  std::condition_variable changed_;
  bool full_ = false;
  bool stopping_ = false;
  int error_ = 0;
  std::thread thread_;
};

FileError::FileError(std::filesystem::path path, std::string reason)
    : std::runtime_error(path.string() + ": " + reason),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

std::u16string PathToText(const std::filesystem::path& path) {
  return Utf8ToUtf16(path.native(), Utf8Errors::kEscape);
}

std::filesystem::path TextToPath(std::u16string_view text) {
  return Utf16ToUtf8(text, Utf8Errors::kEscape);
}

FileBytes::FileBytes(FileBytes&& other) noexcept
    : mapped_(std::exchange(other.mapped_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      owned_(std::move(other.owned_)) {}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
  if (this != &other) {
    const FileBytes old(std::move(*this));
    mapped_ = std::exchange(other.mapped_, nullptr);
    size_ = std::exchange(other.size_, 0);
    owned_ = std::move(other.owned_);
  }
  return *this;
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

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

ReplacingFile::ReplacingFile(std::filesystem::path destination)
    : destination_(std::move(destination)), target_(destination_) {
  std::error_code error;
  if (std::filesystem::is_symlink(destination_, error)) {
    const auto resolved = std::filesystem::canonical(destination_, error);
    if (!error) target_ = resolved;
  }
  struct stat info {};
  const bool exists = ::stat(target_.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) Fail(EISDIR);
  if (exists && !S_ISREG(info.st_mode)) {
    // A device or a pipe cannot be replaced, and holds nothing that a failure could lose.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) Fail(errno);
    writer_ = std::make_unique<BlockWriter>(fd_);
    return;
  }
  // A file that may not be written stays as it is, as it would without the detour.
  if (exists && ::access(target_.c_str(), W_OK) != 0) Fail(errno);

  std::string pattern =
      (target_.parent_path() / ("." + target_.filename().string() + ".XXXXXX")).string();
  fd_ = ::mkstemp(pattern.data());
  if (fd_ < 0) Fail(errno);
  temporary_ = pattern;
  mode_t mode;
  if (exists) {
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd_, mode) != 0) Fail(errno);
  writer_ = std::make_unique<BlockWriter>(fd_);
}

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Write(std::string_view bytes) {
  if (const int error = writer_->Write(bytes)) Fail(error);
}

void ReplacingFile::Commit() {
  if (const int error = writer_->Finish()) Fail(error);
  const int fd = std::exchange(fd_, -1);
  // Space that runs out at the last moment shows only here, on some file systems.
  if (const int error = CloseOnce(fd)) Fail(error);
  if (temporary_.empty()) return;
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
  temporary_.clear();
}

void ReplacingFile::Fail(int error) {
  Discard();
  throw FileError(destination_, Reason(error));
}

void ReplacingFile::Discard() {
  if (writer_ != nullptr) writer_->Stop();
  if (fd_ >= 0) CloseOnce(std::exchange(fd_, -1));
  if (!temporary_.empty()) ::unlink(std::exchange(temporary_, {}).c_str());
}

}  // namespace brackwater
