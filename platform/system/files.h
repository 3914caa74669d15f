#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace brackwater {

// A file operation that failed: the file as the caller named it, and the system's reason.
class FileError : public std::runtime_error {
 public:
  FileError(std::filesystem::path path, std::string reason);
  const std::filesystem::path& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::filesystem::path path_;
  std::string reason_;
};

// File names as text and back. Names that are not UTF-8 (on POSIX) or not well-formed UTF-16
// (on Windows) keep their code units through the trip.
std::u16string PathToText(const std::filesystem::path& path);
std::filesystem::path TextToPath(std::u16string_view text);

// The bytes of a whole file. A regular file may be mapped rather than copied: reading a large
// file into fresh memory costs several times what mapping it from the file cache does.
class FileBytes {
 public:
  FileBytes() = default;
  explicit FileBytes(std::string bytes) : owned_(std::move(bytes)) {}
  FileBytes(const char* mapped, std::size_t size) : mapped_(mapped), size_(size) {}
  FileBytes(FileBytes&& other) noexcept;
  FileBytes& operator=(FileBytes&& other) noexcept;
  ~FileBytes();

  std::string_view View() const {
    return mapped_ != nullptr ? std::string_view(mapped_, size_) : owned_;
  }

 private:
  const char* mapped_ = nullptr;
  std::size_t size_ = 0;
  std::string owned_;
};

enum class FileReading {
  // Fast, and no copy in memory; but a file cut short by another program while its bytes are
  // in use ends the process (SIGBUS, or an in-page error on Windows). For a command that does
  // one thing and ends.
  kMapped,
  // Safe whatever other programs do to the file meanwhile. For a program that must go on.
  kCopied,
};

FileBytes ReadWholeFile(const std::filesystem::path& path,
                        FileReading reading = FileReading::kMapped);

// Whether both names lead to the same file (links followed). False when either is missing.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace brackwater
