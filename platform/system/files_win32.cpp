#include "platform/system/files_win32.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "platform/system/files.h"
#include "platform/system/text_codec.h"

namespace brackwater {

using namespace win32;

std::u16string PathToText(const std::filesystem::path& path) {
  const std::wstring& native = path.native();
  return std::u16string(native.begin(), native.end());
}

std::filesystem::path TextToPath(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

FileBytes ReadWholeFile(const std::filesystem::path& path, FileKinds kinds) {
  const OwnedHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
  if (file == nullptr) throw FileError(path, LastReason());
  const bool onDisk = GetFileType(file.get()) == FILE_TYPE_DISK;
  if (!onDisk && kinds == FileKinds::kRegularOnly) {
    throw FileError(path, std::string(kNotRegularFile));
  }
  FileBytes bytes;
  LARGE_INTEGER size{};
  if (onDisk && GetFileSizeEx(file.get(), &size) != 0 && size.QuadPart > 0) {
    if (!std::in_range<std::size_t>(size.QuadPart)) throw std::bad_alloc();
    bytes.Reserve(static_cast<std::size_t>(size.QuadPart));
  }
  // Read to the end, not to the size taken: pipes have none, and a file may change meanwhile.
  // Once the room is full, a small read tells the end from more bytes.
  char probe[4096];
  for (;;) {
    const bool full = bytes.Room() == 0;
    const auto wanted =
        static_cast<DWORD>(std::min<std::size_t>(full ? sizeof probe : bytes.Room(), 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.get(), full ? probe : bytes.End(), wanted, &got, nullptr)) {
      // The writer of a pipe closing it is its end.
      if (GetLastError() == ERROR_BROKEN_PIPE) break;
      throw FileError(path, LastReason());
    }
    if (got == 0) break;
    if (full) {
      bytes.Append(probe, got);
    } else {
      bytes.size_ += got;
    }
  }
  bytes.Fit();
  return bytes;
}

}  // namespace brackwater
