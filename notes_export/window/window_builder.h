#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "file_dialogs/common_dialog.h"
#include "notes_export/window/design_data.h"
#include "notes_export/window/main_window.h"
#include "platform/gui/file_picker.h"
#include "platform/gui/window_host.h"
#include "xp_button/xpb.h"

namespace brackwater {

// The main window as its design data describes it, made through a window host: the window,
// its labels, a window for each button with the button loaded from its stored settings, the
// dialog control's face, and the tab order by tab index. Every control is wired to the
// workflow by its name, never by where its block stands in the data.
class MainWindow {
 public:
  // `host` and `picker` must outlive the window. Throws DesignDataError when the data names a
  // kind of control unknown here, gives two controls one name, or lacks a control that the
  // workflow needs (the error names it); StoreError when a button's settings cannot be read.
  MainWindow(const DesignData& design, WindowHost& host, FilePicker& picker, MainServices services);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  XpB& Button(std::u16string_view name);

 private:
  class Status;
  struct ButtonControl;

  ButtonControl& FindButton(std::u16string_view name);

  std::vector<std::unique_ptr<ButtonControl>> buttons_;
  std::vector<std::u16string> labels_;
  std::vector<std::u16string> dialogs_;
  CommonDialog dialog_;
  std::unique_ptr<Status> status_;
  std::unique_ptr<Main> main_;
};

}  // namespace brackwater
