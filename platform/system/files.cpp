#include "platform/system/files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

#include "platform/system/memory.h"
#include "platform/system/text_codec.h"

namespace brackwater {

// The name in UTF-8 whatever it holds: path::string() throws on Windows for names that are not
// well-formed UTF-16, and a message must not.
FileError::FileError(std::filesystem::path path, std::string reason)
    : std::runtime_error(Utf16ToUtf8(PathToText(path), Utf8Errors::kEscape) + ": " + reason),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

FileBytes::FileBytes(FileBytes&& other) noexcept
    : data_(std::move(other.data_)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
  data_ = std::move(other.data_);
  size_ = std::exchange(other.size_, 0);
  capacity_ = std::exchange(other.capacity_, 0);
  return *this;
}

void FileBytes::Free::operator()(char* data) const { std::free(data); }

void FileBytes::Reserve(std::size_t wanted) {
  if (wanted <= capacity_) return;
  // An eighth more at least: few moves for input of unknown length, and little to spare.
  Resize(std::max(wanted, capacity_ + capacity_ / 8));
  AdviseLargePages(data_.get(), capacity_);
}

void FileBytes::Fit() {
  if (size_ != 0 && size_ != capacity_) Resize(size_);
}

void FileBytes::Resize(std::size_t capacity) {
  char* const resized = static_cast<char*>(std::realloc(data_.get(), capacity));
  if (resized == nullptr) throw std::bad_alloc();
  static_cast<void>(data_.release());
  data_.reset(resized);
  capacity_ = capacity;
}

void FileBytes::Append(const char* bytes, std::size_t size) {
  Reserve(size_ + std::max(size, kGrowth));
  std::memcpy(data_.get() + size_, bytes, size);
  size_ += size;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace brackwater
