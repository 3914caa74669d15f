#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brackwater {

struct FileFilter {
  std::u16string description;
  std::u16string pattern;  // such as "*.txt" or "notes.adr"; several joined by ";"
};

// What a file dialog is asked to show.
struct PickerRequest {
  std::u16string title;
  std::vector<FileFilter> filters;
  std::int32_t owner = 0;  // the window the dialog is modal to
  // The folder shown first, as the caller gave it. One that does not exist leaves the choice
  // to the dialog; a drive root such as "c:\" means the user's home folder where there are no
  // drive letters.
  std::u16string startFolder;
};

// The system's file and folder dialogs. Each call is modal and returns when the dialog closes:
// the chosen path, of any length, or nothing when the user cancelled.
class FilePicker {
 public:
  virtual ~FilePicker() = default;
  // Neither asks whether the file exists, and saving asks nothing before overwriting.
  virtual std::optional<std::u16string> OpenFile(const PickerRequest& request) = 0;
  virtual std::optional<std::u16string> SaveFile(const PickerRequest& request) = 0;
  // Only folders of the file system can be chosen.
  virtual std::optional<std::u16string> OpenFolder(const std::u16string& title,
                                                   std::int32_t owner) = 0;
};

}  // namespace brackwater
