// brackwater.exe: the desktop program on Windows. Builds the main window from its stored design
// data and runs the message loop until the window is closed.

#include <clocale>
#include <exception>
#include <memory>

#include "notes_export/window/window_builder.h"
#include "platform/gui/failure_report.h"
#include "platform/system/text_codec.h"
#include "platform/win32/win32_file_picker.h"
#include "platform/win32/win32_picture.h"
#include "platform/win32/win32_window_host.h"
#include "resource_names.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  using namespace brackwater;
  const std::u16string title(kProgramTitle);
  std::setlocale(LC_ALL, "");
  // The folder browser and the picture loader are COM objects of the window's thread.
  if (FAILED(::OleInitialize(nullptr))) return 1;
  SetFailureReport<HWND>([&title](HWND owner, const std::exception& error) {
    ShowWin32Message(::GetAncestor(owner, GA_ROOT), FailureMessage(error.what()), title,
                     MessageIcon::kWarning);
  });

  Win32FilePicker picker;
  int status = 1;
  {
    Win32WindowHost host(kWindowResources);
    std::unique_ptr<MainWindow> program;
    try {
      const std::string_view design = ResourceBytes(kDesignResource, RT_RCDATA);
      if (design.empty()) {
        throw DesignDataError(0, "the program's resources lack the main window's design data");
      }
      program =
          std::make_unique<MainWindow>(ParseDesignData(design), host, picker, SystemServices());
    } catch (const std::exception& error) {
      ShowWin32Message(nullptr, u"Brackwater cannot start:\n" + Utf8ToUtf16(error.what()), title,
                       MessageIcon::kWarning);
      return 1;
    }
    host.Window().Show(show);
    status = host.Window().RunMessageLoop();
  }
  ::OleUninitialize();
  return status;
}
