#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/system/files.h"

namespace brackwater {

// Writes a file in full beside its destination, flushes it to disk and only then puts it in
// place, so that whatever was at the destination before survives any failure. A destination
// that is a device or a pipe is written directly.
//
// On POSIX the file is written unnamed where the system allows it, else under a short hidden
// name that an interrupting SIGINT, SIGTERM or SIGHUP removes. Symbolic links at the destination
// are followed only where the system's protection of shared folders would follow them for this
// user (never someone else's link in a world-writable sticky folder such as /tmp); a link that
// leads nowhere gets the file it names, as a shell's ">" would make it.
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
#ifdef _WIN32
  std::filesystem::path target_;     // the file that is replaced
  std::filesystem::path temporary_;  // empty when writing directly
#else
  // What is replaced: a name in a folder held open, every link on the way already followed, so
  // that what was checked is what is written.
  int folder_ = kClosed;
  std::string name_;
  std::string temporary_;  // its name in the folder while it has one
  bool unnamed_ = false;   // written without a name until it is complete
  bool direct_ = false;    // a device or a pipe
  int guard_ = -1;         // the signal handler's record of `temporary_`, when it has one
#endif
  Handle handle_ = kClosed;
  class BlockWriter;
  std::unique_ptr<BlockWriter> writer_;
};

}  // namespace brackwater
