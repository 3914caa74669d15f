// brackwater: the desktop program. Builds the main window from its stored design data and runs
// the event loop until the window is closed.

#include <QTimer>
#include <clocale>
#include <cstdio>
#include <exception>
#include <memory>

#include "app/program.h"
#include "platform/qt/qt_file_picker.h"

int main(int argc, char** argv) {
  using namespace brackwater;
  GuardedApplication application(argc, argv);
  QApplication::setApplicationName("Brackwater");
  QApplication::setApplicationVersion(BRACKWATER_VERSION);
  std::setlocale(LC_ALL, "");

  // brackwater --screenshot FILE: the window as it first shows, saved as a picture.
  const QStringList arguments = QApplication::arguments();
  const qsizetype screenshot = arguments.indexOf("--screenshot");
  if (arguments.size() > 1 && (screenshot != 1 || arguments.size() != 3)) {
    std::fprintf(stderr, "usage: brackwater [--screenshot FILE]\n");
    return 2;
  }

  QtFilePicker picker;
  std::unique_ptr<Program> program;
  try {
    program = std::make_unique<Program>(MainWindowDesign(), picker, SystemServices());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "brackwater: %s\n", error.what());
    return 1;
  }
  QtWindow& window = program->Window();
  picker.SetOwner(window.Handle(), &window);
  window.show();
  window.Centre();
  if (screenshot == 1) {
    const QString file = arguments[2];
    QTimer::singleShot(0, &window,
                       [&window, file] { QApplication::exit(window.grab().save(file) ? 0 : 1); });
  }
  return QApplication::exec();
}
