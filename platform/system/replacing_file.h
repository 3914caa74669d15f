#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/system/files.h"

namespace brackwater {

// Writes a file in full beside its destination and puts it in place only when it is complete,
// so that whatever was at the destination before survives any failure. A destination that is
// a device or a pipe is written directly; on POSIX, one that is a symbolic link is written
// through.
class ReplacingFile {
 public:
  explicit ReplacingFile(std::filesystem::path destination);
  // Without a Commit, nothing at the destination changes.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  void Write(std::string_view bytes);
  void Commit();

 private:
#ifdef _WIN32
  using Handle = void*;  // a HANDLE
  static constexpr Handle kClosed = nullptr;
#else
  using Handle = int;  // a descriptor
  static constexpr Handle kClosed = -1;
#endif
  // The system's reason when not every byte could be written; empty when all were.
  static std::string WriteAll(Handle handle, std::string_view bytes);
  // The system's part: opening what is written to, putting it in place once complete, and
  // letting it go without a trace.
  void Open();
  void PutInPlace();
  void Release();
  [[noreturn]] void Fail(std::string reason);
  void Discard();

  std::filesystem::path destination_;  // as named, for messages
  std::filesystem::path target_;       // the file that is replaced, links resolved on POSIX
  std::filesystem::path temporary_;    // empty when writing directly
  Handle handle_ = kClosed;
  class BlockWriter;
  std::unique_ptr<BlockWriter> writer_;
};

}  // namespace brackwater
