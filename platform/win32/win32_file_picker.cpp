#include "platform/win32/win32_file_picker.h"

#include <string>

#include "platform/win32/win32_text.h"

namespace brackwater {
namespace {

// What the dialog first shows as the file name: the spaces of the buffer the dialog control
// always handed over.
constexpr std::size_t kInitialSpaces = 254;

// Pairs of description and pattern, each closed by a NUL, and a NUL after the last pair.
std::wstring FilterList(const std::vector<FileFilter>& filters) {
  std::wstring list;
  for (const FileFilter& filter : filters) {
    list += Wide(filter.description);
    list += L'\0';
    list += Wide(filter.pattern);
    list += L'\0';
  }
  list += L'\0';
  return list;
}

std::u16string UpToNul(const std::wstring& buffer) {
  return Narrow16(std::wstring_view(buffer.c_str()));
}

}  // namespace

std::optional<std::u16string> Win32FilePicker::RunFileDialog(const PickerRequest& request,
                                                             BOOL(WINAPI* dialog)(OPENFILENAMEW*)) {
  const std::wstring filter = FilterList(request.filters);
  const std::wstring folder = Wide(request.startFolder);
  const std::wstring title = Wide(request.title);
  std::wstring file(kPathBufferLength, L'\0');
  file.replace(0, kInitialSpaces, kInitialSpaces, L' ');
  // The file's name alone may be as long as a whole path: a buffer too small for it would make
  // the dialog fail, which reads as a cancel.
  std::wstring fileTitle(kPathBufferLength, L'\0');
  fileTitle.replace(0, kInitialSpaces, kInitialSpaces, L' ');

  OPENFILENAMEW record{};
  // The record as Windows 2000 and later take it, without its three trailing fields.
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  record.hwndOwner = static_cast<HWND>(LongToHandle(request.owner));
  record.hInstance = ::GetModuleHandleW(nullptr);
  record.lpstrFilter = filter.c_str();
  record.nFilterIndex = 0;
  record.lpstrFile = file.data();
  record.nMaxFile = kPathBufferLength;
  record.lpstrFileTitle = fileTitle.data();
  record.nMaxFileTitle = kPathBufferLength;
  record.lpstrInitialDir = folder.c_str();
  record.lpstrTitle = title.c_str();
  record.Flags = 0;
  if (!dialog(&record)) return std::nullopt;
  // The path ends at its NUL; spaces around it are what is left of the initial ones.
  std::u16string chosen = UpToNul(file);
  const std::size_t first = chosen.find_first_not_of(u' ');
  if (first == std::u16string::npos) return std::u16string();
  chosen.erase(chosen.find_last_not_of(u' ') + 1);
  chosen.erase(0, first);
  return chosen;
}

std::optional<std::u16string> Win32FilePicker::OpenFile(const PickerRequest& request) {
  return RunFileDialog(request, dialogs_.getOpenFileName);
}

std::optional<std::u16string> Win32FilePicker::SaveFile(const PickerRequest& request) {
  return RunFileDialog(request, dialogs_.getSaveFileName);
}

std::optional<std::u16string> Win32FilePicker::OpenFolder(const std::u16string& title,
                                                          std::int32_t owner) {
  const std::wstring instruction = Wide(title);
  BROWSEINFOW record{};
  record.hwndOwner = static_cast<HWND>(LongToHandle(owner));
  record.pidlRoot = nullptr;  // the tree starts at the desktop
  record.pszDisplayName = nullptr;
  record.lpszTitle = instruction.c_str();
  record.ulFlags = BIF_RETURNONLYFSDIRS;
  const PIDLIST_ABSOLUTE chosen = dialogs_.browseForFolder(&record);
  if (chosen == nullptr) return std::nullopt;
  std::wstring path(kPathBufferLength, L'\0');
  // A folder outside the file system gives no path, and so the empty text.
  ::SHGetPathFromIDListEx(chosen, path.data(), kPathBufferLength, GPFIDL_DEFAULT);
  ::CoTaskMemFree(chosen);
  return UpToNul(path);
}

}  // namespace brackwater
