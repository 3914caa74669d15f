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

// What ReadWholeFile reads.
enum class FileKinds {
  // Only a file on disk. A pipe or a device is refused (kNotRegularFile) without waiting for
  // it: a pipe may have no writer, a device no end. A folder is refused everywhere.
  kRegularOnly,
  // Anything the system reads to an end: a pipe or a device as well (<(zcat notes.adr.gz)).
  kAny,
};

// The bytes of a whole file, read into memory of their own: a file that another program cuts
// short or rewrites while they are in use leaves them as they were read.
class FileBytes {
 public:
  FileBytes() = default;
  FileBytes(FileBytes&& other) noexcept;
  FileBytes& operator=(FileBytes&& other) noexcept;

  std::string_view View() const { return {data_.get(), size_}; }

 private:
  friend FileBytes ReadWholeFile(const std::filesystem::path& path, FileKinds kinds);
  // Input of unknown length is taken this much at a time at least.
  static constexpr std::size_t kGrowth = std::size_t{1} << 16;

  // Room for at least `wanted` bytes in all.
  void Reserve(std::size_t wanted);
  // Adds bytes read elsewhere, as the reading does past the size the system gave.
  void Append(const char* bytes, std::size_t size);
  // Lets go of the room that the bytes did not take.
  void Fit();
  void Resize(std::size_t capacity);
  char* End() { return data_.get() + size_; }
  std::size_t Room() const { return capacity_ - size_; }

  // Grown with realloc, which moves the pages of a large block rather than copying them where
  // the system can (mremap on Linux), so that reading a pipe never needs twice its size.
  struct Free {
    void operator()(char* data) const;
  };
  std::unique_ptr<char, Free> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// The reason ReadWholeFile gives for what FileKinds::kRegularOnly refuses.
inline constexpr std::string_view kNotRegularFile = "it is not a regular file";

// Reads the file to its end, however its size changes meanwhile: a file that grows gives what
// was there when the reading got to it, one that shrinks what was left. Throws FileError, and
// std::bad_alloc for input that never ends.
FileBytes ReadWholeFile(const std::filesystem::path& path,
                        FileKinds kinds = FileKinds::kRegularOnly);

// Whether both names lead to the same file (links followed). False when either is missing.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace brackwater
