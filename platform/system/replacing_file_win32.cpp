#include <windows.h>

#include <algorithm>
#include <random>
#include <utility>

#include "platform/system/files_win32.h"
#include "platform/system/replacing_file.h"
#include "platform/system/text_codec.h"

namespace brackwater {

using namespace win32;

namespace {

// ".bwk3x9qa": beside the target, so that putting it in place is a rename on one volume, and
// short whatever the target's name, so that every name the system allows can be written.
std::filesystem::path TemporaryName(const std::filesystem::path& target) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kLetters) - 2);
  std::wstring name = L".bw";
  for (int i = 0; i < 6; ++i) name += static_cast<wchar_t>(kLetters[pick(random)]);
  return target.parent_path() / name;
}

}  // namespace

std::string ReplacingFile::WriteAll(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD put = 0;
    if (!WriteFile(handle, bytes.data(), wanted, &put, nullptr)) return LastReason();
    bytes.remove_prefix(put);
  }
  return {};
}

void ReplacingFile::Open() {
  target_ = destination_;
  const DWORD attributes = GetFileAttributesW(target_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // A folder, or a file that may not be written, stays as it is, as it would without the
    // detour; the reason is what Windows itself answers to writing either. The attribute is
    // asked for directly, as not every system refuses to open a read-only file for writing
    // (Wine run as root does not).
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
      Fail(Reason(ERROR_ACCESS_DENIED));
    }
    // Opening it proves that it may be written otherwise (no other program keeps it from
    // that) and tells a file on disk from a device or a pipe.
    OwnedHandle existing = OpenFile(target_, GENERIC_WRITE, OPEN_EXISTING);
    if (existing == nullptr) Fail(LastReason());
    if (GetFileType(existing.get()) != FILE_TYPE_DISK) {
      // A device or a pipe cannot be replaced, and holds nothing that a failure could lose.
      handle_ = existing.release();
      return;
    }
  }
  for (int attempt = 1;; ++attempt) {
    const std::filesystem::path candidate = TemporaryName(target_);
    const HANDLE file = CreateFileW(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = file;
      temporary_ = candidate;
      return;
    }
    const DWORD error = GetLastError();
    const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    if (!taken || attempt == 100) Fail(Reason(error));
  }
}

void ReplacingFile::PutInPlace() {
  // On disk before it replaces anything: else a crash soon after could leave neither file.
  if (!temporary_.empty() && !FlushFileBuffers(handle_)) Fail(LastReason());
  if (!CloseHandle(std::exchange(handle_, kClosed))) Fail(LastReason());
  if (temporary_.empty()) return;
  if (!MoveFileExW(temporary_.c_str(), target_.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fail(LastReason());
  }
  temporary_.clear();
}

void ReplacingFile::Release() {
  if (handle_ != kClosed) CloseHandle(std::exchange(handle_, kClosed));
  if (!temporary_.empty()) DeleteFileW(std::exchange(temporary_, {}).c_str());
}

}  // namespace brackwater
