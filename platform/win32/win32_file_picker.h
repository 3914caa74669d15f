#pragma once

#include "platform/gui/file_picker.h"
#include "platform/win32/win32_api.h"

namespace brackwater {

// The system dialogs that the picker calls, apart so that tests can stand in for them.
struct Win32Dialogs {
  BOOL(WINAPI* getOpenFileName)(OPENFILENAMEW*) = ::GetOpenFileNameW;
  BOOL(WINAPI* getSaveFileName)(OPENFILENAMEW*) = ::GetSaveFileNameW;
  PIDLIST_ABSOLUTE(WINAPI* browseForFolder)(BROWSEINFOW*) = ::SHBrowseForFolderW;
};

// The system's file and folder dialogs, in their Unicode forms, with the settings the dialog
// control was written for: no flags at all (so no question before overwriting and no check
// that the file exists), the first filter, the start folder as given, and a file buffer that
// starts as 254 spaces. The buffers hold a path of any length Windows allows.
class Win32FilePicker final : public FilePicker {
 public:
  explicit Win32FilePicker(Win32Dialogs dialogs = {}) : dialogs_(dialogs) {}

  std::optional<std::u16string> OpenFile(const PickerRequest& request) override;
  std::optional<std::u16string> SaveFile(const PickerRequest& request) override;
  std::optional<std::u16string> OpenFolder(const std::u16string& title,
                                           std::int32_t owner) override;

 private:
  std::optional<std::u16string> RunFileDialog(const PickerRequest& request,
                                              BOOL(WINAPI* dialog)(OPENFILENAMEW*));

  Win32Dialogs dialogs_;
};

// Room for the longest path Windows takes, with its NUL.
inline constexpr DWORD kPathBufferLength = 32768;

}  // namespace brackwater
