// brackwater.exe: the desktop program on Windows. Builds the main window from its stored design
// data and runs the message loop until the window is closed.

#include <clocale>
#include <exception>
#include <memory>

#include "app/win32/win32_program.h"
#include "platform/system/text_codec.h"
#include "platform/win32/win32_failure.h"
#include "platform/win32/win32_file_picker.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  using namespace brackwater;
  std::setlocale(LC_ALL, "");
  // The folder browser and the picture loader are COM objects of the window's thread.
  if (FAILED(::OleInitialize(nullptr))) return 1;
  SetFailureReport([](HWND owner, const std::exception& error) {
    ShowWin32Message(::GetAncestor(owner, GA_ROOT), FailureMessage(error.what()), u"Brackwater",
                     Win32MessageIcon::kWarning);
  });

  Win32FilePicker picker;
  std::unique_ptr<Win32Program> program;
  try {
    program = std::make_unique<Win32Program>(Win32MainWindowDesign(), picker, SystemServices());
  } catch (const std::exception& error) {
    ShowWin32Message(nullptr, u"Brackwater cannot start:\n" + Utf8ToUtf16(error.what()),
                     u"Brackwater", Win32MessageIcon::kWarning);
    return 1;
  }
  program->Window().Show(show);
  const int status = program->Window().RunMessageLoop();
  program.reset();
  ::OleUninitialize();
  return status;
}
