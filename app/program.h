#pragma once

#include <QApplication>
#include <QLabel>
#include <memory>
#include <string>
#include <vector>

#include "file_dialogs/common_dialog.h"
#include "notes_export/window/design_data.h"
#include "notes_export/window/main_window.h"
#include "platform/gui/file_picker.h"
#include "platform/qt/qt_control_widget.h"
#include "platform/qt/qt_window.h"
#include "xp_button/xpb.h"

namespace brackwater {

// The main window as its stored design data describes it, on Qt, with the workflow behind its
// buttons. The pictures it names come from the program's resources.
class Program {
 public:
  // `picker` shows the file dialogs; it must outlive the program. Throws DesignDataError or
  // StoreError when the design data does not describe the window.
  Program(const DesignData& design, FilePicker& picker, MainServices services);
  ~Program();

  QtWindow& Window() { return *window_; }
  QLabel& Label(std::u16string_view name);
  QtControlWidget& ButtonWindow(std::u16string_view name);
  XpB& Button(std::u16string_view name);

 private:
  class Host;
  struct ButtonParts;

  // Before the window: the window's widgets feed the buttons, so they go first.
  std::vector<std::unique_ptr<ButtonParts>> buttons_;
  std::unique_ptr<QtWindow> window_;
  std::vector<std::pair<std::u16string, QLabel*>> labels_;
  CommonDialog dialog_;
  std::unique_ptr<Host> host_;
  std::unique_ptr<Main> main_;
};

// The design data of the main window, kept in the program's resources.
DesignData MainWindowDesign();

// Tells any failure that reaches the event loop in a message box; the program goes on.
class GuardedApplication : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace brackwater
