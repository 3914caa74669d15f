#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/system/files.h"
#include "platform/system/memory.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

// The system's words for an error, in the user's language, without the closing period and line
// break that messages of the system end with.
std::string Reason(DWORD error) {
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

std::string LastReason() { return Reason(GetLastError()); }

// Closes the handle on every way out, a throw included.
struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

OwnedHandle OpenFile(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  const HANDLE handle =
      CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return OwnedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// Maps the whole of a file on disk; null when it cannot, and it is then read instead.
const char* MapWhole(HANDLE file) {
  const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping == nullptr) return nullptr;
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  // The view keeps the mapping, and the file, for as long as it is there.
  CloseHandle(mapping);
  return static_cast<const char*>(view);
}

}  // namespace

std::u16string PathToText(const std::filesystem::path& path) {
  const std::wstring& native = path.native();
  return std::u16string(native.begin(), native.end());
}

std::filesystem::path TextToPath(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

FileBytes::~FileBytes() {
  if (mapped_ != nullptr) UnmapViewOfFile(mapped_);
}

FileBytes ReadWholeFile(const std::filesystem::path& path, FileReading reading) {
  const OwnedHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
  if (file == nullptr) throw FileError(path, LastReason());
  LARGE_INTEGER size{};
  const bool onDisk =
      GetFileType(file.get()) == FILE_TYPE_DISK && GetFileSizeEx(file.get(), &size) != 0;
  // A size that does not fit the address space is left for the reading to fail on.
  const std::size_t known = onDisk && std::in_range<std::size_t>(size.QuadPart)
                                ? static_cast<std::size_t>(size.QuadPart)
                                : 0;
  if (reading == FileReading::kMapped && known > 0) {
    if (const char* mapped = MapWhole(file.get())) return FileBytes(mapped, known);
  }
  // Read to the end, not to the size taken: pipes have none, and a file may change meanwhile.
  // One byte past the size lets the read that finds the end fit.
  std::string bytes;
  bytes.reserve(known > 0 ? known + 1 : 65536);
  AdviseLargePages(bytes.data(), bytes.capacity());
  bytes.resize(bytes.capacity());
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(2 * bytes.size());
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - used, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + used, wanted, &got, nullptr)) {
      // The writer of a pipe closing it is its end.
      if (GetLastError() == ERROR_BROKEN_PIPE) break;
      throw FileError(path, LastReason());
    }
    if (got == 0) break;
    used += got;
  }
  bytes.resize(used);
  return FileBytes(std::move(bytes));
}

}  // namespace brackwater
