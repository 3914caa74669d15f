#pragma once

// What the Windows sides of these services share: the system's words for an error, and file
// handles that close themselves. Included only by the _win32.cpp files here.

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/system/text_codec.h"

namespace brackwater::win32 {

// The system's words for an error, in the user's language, without the closing period and line
// break that messages of the system end with.
inline std::string Reason(DWORD error) {
  wchar_t buffer[512];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' ||
                        buffer[length - 1] == L' ' || buffer[length - 1] == L'.')) {
    --length;
  }
  if (length == 0) return "Windows error " + std::to_string(error);
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer), length));
}

inline std::string LastReason() { return Reason(GetLastError()); }

// Closes the handle on every way out, a throw included.
struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

inline OwnedHandle OpenFile(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  const HANDLE handle =
      CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return OwnedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace brackwater::win32
