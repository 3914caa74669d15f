#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/gui/file_picker.h"

class QFileDialog;

namespace brackwater {

// The pickers as Qt's own file dialog, the same on every desktop and without one. Native
// dialogs would differ by desktop where it matters here: some let an open dialog choose only
// existing files, some ask before overwriting, and none can be driven from a test.
class QtFilePicker : public FilePicker {
 public:
  // Dialogs asked for by the window with this handle are modal to `window`; handles that were
  // never set, or whose widget is gone, get a dialog modal to the whole application. A null
  // `window` forgets the handle.
  void SetOwner(std::int32_t handle, QWidget* window);

  std::optional<std::u16string> OpenFile(const PickerRequest& request) override;
  std::optional<std::u16string> SaveFile(const PickerRequest& request) override;
  std::optional<std::u16string> OpenFolder(const std::u16string& title,
                                           std::int32_t owner) override;

 private:
  QWidget* OwnerWidget(std::int32_t handle) const;
  std::optional<std::u16string> PickFile(const PickerRequest& request, bool save);
  std::optional<std::u16string> Run(QFileDialog* dialog);

  std::unordered_map<std::int32_t, QPointer<QWidget>> owners_;
};

}  // namespace brackwater
