#include "notes_export/window/main_window.h"

#include <algorithm>
#include <ctime>
#include <exception>
#include <stdexcept>
#include <utility>

#include "notes_export/export_file.h"
#include "platform/system/code_page.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"
#include "platform/system/user_folders.h"

namespace brackwater {
namespace {

constexpr std::u16string_view kTitle = u"Select file";
// One filter each, whose description and pattern are the same text.
const std::u16string kNotesMask(u"notes.adr\0notes.adr", 19);
const std::u16string kExportMask(u"*.txt\0*.txt", 11);
// A drive root: the dialog shows the user's home folder where there are no drive letters.
constexpr std::u16string_view kSaveFolder = u"c:\\";

std::u16string WithoutNuls(std::u16string text) {
  std::erase(text, u'\0');
  return text;
}

std::u16string Text(const std::string& utf8) { return Utf8ToUtf16(utf8); }

// "Cannot read" or "Cannot write", with the file and the system's reason.
std::u16string Cannot(std::u16string_view step, const ExportResult& result) {
  return u"Cannot " + std::u16string(step) + u" " + PathToText(result.file) + u":\n" +
         Text(result.reason);
}

}  // namespace

std::u16string FailureMessage(std::string_view what) {
  return u"Something went wrong, and the last step was not finished:\n" + Utf8ToUtf16(what);
}

MainServices SystemServices() {
  return {
      [] {
        if (auto now = FormatDateTime(std::time(nullptr), TimeZone::kLocal)) return *now;
        throw std::runtime_error("the clock's time cannot be written as a date");
      },
      ApplicationDataFolder,
      [](const std::u16string& folder) { return FolderExists(folder); },
      SystemCodePage(),
  };
}

Main::Main(MainHost& host, CommonDialog& CD, XpB& Command1, XpB& Command2, MainServices services)
    : host_(host),
      CD_(CD),
      Command1_(Command1),
      Command2_(Command2),
      services_(std::move(services)) {}

void Main::Command1_Click() {
  // The browser's folder inside the user's application-data folder when there is one.
  std::u16string startFolder = services_.applicationDataFolder();
  if (const std::u16string browser = BrowserDataFolder(startFolder);
      services_.folderExists(browser)) {
    startFolder = browser;
  }
  const std::u16string title(kTitle);
  const std::int32_t owner = host_.WindowHandle();
  const std::u16string chosen = WithoutNuls(CD_.OpenFile(title, kNotesMask, owner, startFolder));
  if (chosen.empty()) return;
  FilePath_ = chosen;
  host_.SetLabel1(FilePath_);
  Command1_.SetEnabledCtrl(false);
  Command2_.SetEnabledCtrl(true);
}

void Main::Command2_Click() {
  const std::u16string notesPath = FilePath_;
  Command2_.SetEnabledCtrl(false);
  host_.SetLabel1(u"Processing...");
  try {
    // The save dialog comes only once the notes file has been read and found to hold notes;
    // meanwhile FilePath holds the default export path.
    auto chooseOutput = [this](const std::u16string& defaultPath) {
      FilePath_ = defaultPath;
      const std::u16string title(kTitle);
      const std::u16string folder(kSaveFolder);
      return CD_.SaveFile(title, kExportMask, host_.WindowHandle(), folder);
    };
    // Only a file on disk: a pipe or a device could keep the window waiting for good.
    const ExportResult result = ExportNotesFile(notesPath, FileKinds::kRegularOnly,
                                                services_.codePage, {services_.now, chooseOutput});
    switch (result.failure) {
      case ExportFailure::kCannotRead:
        Report(Cannot(u"read", result));
        WaitForNotesFile(u"The notes file could not be read");
        return;
      case ExportFailure::kNoNotes:
        Report(u"There are no notes in " + notesPath + u":\nthe file is empty.");
        WaitForNotesFile(u"The file holds no notes");
        return;
      case ExportFailure::kCannotWrite:
        Report(Cannot(u"write", result));
        NotesFileChosen(notesPath);
        return;
      case ExportFailure::kNone:
        FilePath_ = result.exportPath;
        break;
    }
  } catch (const std::exception& error) {
    Report(u"The export of " + notesPath + u" failed:\n" + Text(error.what()));
    NotesFileChosen(notesPath);
    return;
  }
  Command1_.SetEnabledCtrl(true);
  Command2_.SetEnabledCtrl(false);
  host_.ShowMessage(u"File saved as " + FilePath_, u"OK", MessageIcon::kInformation);
  FilePath_.clear();
  host_.SetLabel1(u"File saved");
}

void Main::WaitForNotesFile(const std::u16string& status) {
  FilePath_.clear();
  host_.SetLabel1(status);
  Command1_.SetEnabledCtrl(true);
  Command2_.SetEnabledCtrl(false);
}

void Main::NotesFileChosen(const std::u16string& notesPath) {
  FilePath_ = notesPath;
  host_.SetLabel1(FilePath_);
  Command1_.SetEnabledCtrl(false);
  Command2_.SetEnabledCtrl(true);
}

void Main::Report(const std::u16string& text) {
  host_.ShowMessage(text, std::u16string(kProgramTitle), MessageIcon::kWarning);
}

}  // namespace brackwater
