#pragma once

#include <memory>
#include <string>
#include <vector>

#include "file_dialogs/common_dialog.h"
#include "notes_export/window/design_data.h"
#include "notes_export/window/main_window.h"
#include "platform/gui/file_picker.h"
#include "platform/win32/win32_control_window.h"
#include "platform/win32/win32_picture.h"
#include "platform/win32/win32_system_colors.h"
#include "platform/win32/win32_window.h"
#include "xp_button/xpb.h"

namespace brackwater {

// The main window as its stored design data describes it, on Windows, with the workflow behind
// its buttons. The pictures come from the program's resources.
class Win32Program {
 public:
  // `picker` shows the file dialogs; it must outlive the program. Throws DesignDataError or
  // StoreError when the design data does not describe the window.
  Win32Program(const DesignData& design, FilePicker& picker, MainServices services);
  ~Win32Program();

  Win32Window& Window() { return *window_; }
  Win32ControlWindow& ButtonWindow(std::u16string_view name);
  XpB& Button(std::u16string_view name);
  // The dialog control's place on the window, which it keeps whatever it is given.
  HWND DialogControl() const { return dialogControl_; }

 private:
  class Host;
  struct ButtonParts;

  ButtonParts& Find(std::u16string_view name);

  Win32SystemColors colors_;
  std::unique_ptr<Win32Bitmap> background_;
  std::unique_ptr<Win32Window> window_;
  std::vector<std::unique_ptr<ButtonParts>> buttons_;
  HWND dialogControl_ = nullptr;
  CommonDialog dialog_;
  std::unique_ptr<Host> host_;
  std::unique_ptr<Main> main_;
};

// The design data of the main window, kept in the program's resources.
DesignData Win32MainWindowDesign();

}  // namespace brackwater
