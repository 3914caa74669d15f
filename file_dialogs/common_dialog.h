#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/file_picker.h"
#include "platform/gui/units.h"

namespace brackwater {

// The filters of a Mask: texts separated by NUL, read two at a time (description, pattern) up
// to the first empty text, as the Windows dialogs read their filter buffer. There the list ends
// with a double NUL, so a trailing NUL in Mask changes nothing, and an empty text in the middle
// ends the list. A description left without a pattern is dropped: it names nothing to filter
// by, and the dialog then shows every file.
std::vector<FileFilter> FiltersFromMask(std::u16string_view Mask);

// Asks the user for a file to open, a file to save or a folder, through the system's dialogs.
// It keeps nothing between calls: each call runs one modal dialog and returns when it closes.
class CommonDialog {
 public:
  struct Size {
    std::int32_t width;
    std::int32_t height;
    friend bool operator==(const Size&, const Size&) = default;
  };

  // Image1, the control's whole face: a 32 x 32 icon at its top-left corner, in twips.
  static constexpr Size kImage1Size{540, 540};
  static constexpr Size kImage1Pixels{TwipsToPixels(kImage1Size.width),
                                      TwipsToPixels(kImage1Size.height)};

  // Whatever size the control is given, it takes Image1's: the width first, then the height.
  // A host that sets one at a time follows that order; each change comes back here and then
  // finds the size already right, so the rule cannot loop.
  static constexpr Size SizeAfterResize(Size /*given*/) { return kImage1Size; }

  explicit CommonDialog(FilePicker& picker) : picker_(picker) {}

  // The chosen file's path followed by exactly one NUL, or empty when the user cancelled.
  // Callers strip the NUL; a path of any length comes back whole.
  std::u16string OpenFile(const std::u16string& Title, const std::u16string& Mask,
                          const std::int32_t& WindowHwnd, const std::u16string& MyDir);
  // As OpenFile. A typed name gets no extension, and an existing file brings no question.
  std::u16string SaveFile(const std::u16string& Title, const std::u16string& Mask,
                          const std::int32_t& WindowHwnd, const std::u16string& MyDir);
  // The chosen folder's path, without a NUL, or empty when the user cancelled.
  std::u16string OpenFolder(const std::u16string& Title, const std::int32_t& WindowHwnd);

 private:
  FilePicker& picker_;
};

}  // namespace brackwater
