#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "file_dialogs/common_dialog.h"
#include "platform/gui/window_host.h"
#include "platform/system/clock.h"
#include "xp_button/xpb.h"

namespace brackwater {

// The program's name, as its window, its messages and the desktop show it.
inline constexpr std::u16string_view kProgramTitle = u"Brackwater";

// What the main window needs from the desktop that shows it.
class MainHost {
 public:
  virtual ~MainHost() = default;
  virtual std::int32_t WindowHandle() const = 0;
  virtual void SetLabel1(const std::u16string& caption) = 0;
  // Modal, with one OK button; returns when the user has closed it.
  virtual void ShowMessage(const std::u16string& text, const std::u16string& title,
                           MessageIcon icon) = 0;
};

// The system services of the two steps, apart so that tests can fix them.
struct MainServices {
  std::function<DateTimeText()> now;
  std::function<std::u16string()> applicationDataFolder;
  std::function<bool(const std::u16string&)> folderExists;
  std::string codePage;
};

// Services of this system: the clock, the user's folders and the locale's code page.
MainServices SystemServices();

// What the user is told of a failure that reached the event loop, which the program survives:
// `what` is the failure's own text, in UTF-8.
std::u16string FailureMessage(std::string_view what);

// The one window: open a notes file with Command1, save its export with Command2.
class Main {
 public:
  Main(MainHost& host, CommonDialog& CD, XpB& Command1, XpB& Command2, MainServices services);

  // The Open step.
  void Command1_Click();
  // The Save step.
  void Command2_Click();

  const std::u16string& FilePath() const { return FilePath_; }

 private:
  // Back to waiting for a notes file, when the chosen one cannot be exported whatever the target.
  void WaitForNotesFile(const std::u16string& status);
  // Back to "notes file chosen" after a Save that could not be finished.
  void NotesFileChosen(const std::u16string& notesPath);
  void Report(const std::u16string& text);

  MainHost& host_;
  CommonDialog& CD_;
  XpB& Command1_;
  XpB& Command2_;
  MainServices services_;
  std::u16string FilePath_;
};

}  // namespace brackwater
