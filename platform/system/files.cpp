#include "platform/system/files.h"

#include <system_error>
#include <utility>

#include "platform/system/text_codec.h"

namespace brackwater {

// The name in UTF-8 whatever it holds: path::string() throws on Windows for names that are not
// well-formed UTF-16, and a message must not.
FileError::FileError(std::filesystem::path path, std::string reason)
    : std::runtime_error(Utf16ToUtf8(PathToText(path), Utf8Errors::kEscape) + ": " + reason),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

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

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace brackwater
