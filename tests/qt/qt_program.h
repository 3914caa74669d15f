#pragma once

#include <QIcon>
#include <QPixmap>
#include <utility>

#include "notes_export/window/window_builder.h"
#include "platform/qt/qt_window_host.h"

namespace brackwater::testing {

// The main window on Qt as the program builds it, from the program's own resources.
struct QtProgram {
  QtProgram(FilePicker& picker, MainServices services)
      : window(ParseDesignData(QtResourceBytes(":/main_window.design")), host, picker,
               std::move(services)) {}

  QtWindowHost host{
      {QPixmap(":/background.gif"), QIcon(":/brackwater-32.png"), QPixmap(":/dialog_control.ico")}};
  MainWindow window;
};

}  // namespace brackwater::testing
