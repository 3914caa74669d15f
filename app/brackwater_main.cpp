// brackwater: the desktop program. Builds the main window from its stored design data and runs
// the event loop until the window is closed.

#include <QApplication>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <exception>
#include <memory>

#include "notes_export/window/window_builder.h"
#include "platform/gui/failure_report.h"
#include "platform/qt/qt_file_picker.h"
#include "platform/qt/qt_window_host.h"

namespace {

using namespace brackwater;

// The icon's two images. Qt reads the 24-bit images of the icon file without their mask, so it
// takes the same images from files that carry the mask as transparency.
QIcon WindowIcon() {
  QIcon icon;
  icon.addFile(":/brackwater-16.png", QSize(16, 16));
  icon.addFile(":/brackwater-32.png", QSize(32, 32));
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf16(kProgramTitle.data(), kProgramTitle.size()));
  QApplication::setApplicationVersion(BRACKWATER_VERSION);
  std::setlocale(LC_ALL, "");

  // brackwater --screenshot FILE: the window as it first shows, saved as a picture.
  const QStringList arguments = QApplication::arguments();
  const qsizetype screenshot = arguments.indexOf("--screenshot");
  if (arguments.size() > 1 && (screenshot != 1 || arguments.size() != 3)) {
    std::fprintf(stderr, "usage: brackwater [--screenshot FILE]\n");
    return 2;
  }

  SetFailureReport<QWidget*>([](QWidget* owner, const std::exception& error) {
    ShowQtMessage(owner->window(), FailureMessage(error.what()), std::u16string(kProgramTitle),
                  MessageIcon::kWarning);
  });
  QtFilePicker picker;
  QtWindowHost host({QPixmap(":/background.gif"), WindowIcon(), QPixmap(":/dialog_control.ico")});
  std::unique_ptr<MainWindow> program;
  try {
    program = std::make_unique<MainWindow>(ParseDesignData(QtResourceBytes(":/main_window.design")),
                                           host, picker, SystemServices());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "brackwater: %s\n", error.what());
    return 1;
  }
  QtWindow& window = host.Window();
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
