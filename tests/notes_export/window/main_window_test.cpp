#include "notes_export/window/main_window.h"

#include <gtest/gtest.h>

#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "notes_export/notes_conversion.h"
#include "notes_export/window/design_data.h"
#include "platform/gui/headless_host.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"
#include "tests/support/fixed_text_engine.h"
#include "tests/support/main_window_design.h"
#include "tests/support/scripted_picker.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::ReadBytes;
using testing::ScriptedPicker;
using testing::TempDir;
using testing::WriteBytes;

constexpr std::int32_t kWindow = 41;

struct Message {
  std::u16string text;
  std::u16string title;
  MessageIcon icon;
  std::u16string label1;  // what Label1 showed while the box was open
};

class FakeWindow final : public MainHost {
 public:
  std::int32_t WindowHandle() const override { return kWindow; }
  void SetLabel1(const std::u16string& caption) override { label1 = caption; }
  void ShowMessage(const std::u16string& text, const std::u16string& title,
                   MessageIcon icon) override {
    messages.push_back({text, title, icon, label1});
  }

  std::u16string label1 = u"credit";
  std::vector<Message> messages;
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    const DesignData design = testing::MainWindowDesign();
    Command1.LoadFromStore(design.Control(u"Command1").settings);
    Command2.LoadFromStore(design.Control(u"Command2").settings);
  }

  std::u16string PathText(const std::string& name) const { return PathToText(dir / name); }

  // Opens `name` in the temporary folder through the open dialog.
  void Choose(const std::string& name) {
    picker.answers.push_back(PathText(name) + u'\0');
    main.Command1_Click();
  }

  void ExpectState(bool open, bool save, const std::u16string& label1) {
    EXPECT_EQ(Command1.EnabledCtrl(), open);
    EXPECT_EQ(Command2.EnabledCtrl(), save);
    EXPECT_EQ(window.label1, label1);
  }

  TempDir dir;
  TempDir home;
  FakeWindow window;
  ScriptedPicker picker;
  CommonDialog CD{picker};
  XpBEvents events;
  ClassicColors colors;
  FixedTextEngine text;
  HeadlessControlHost host1{u"Command1", colors, text, 153, 41};
  HeadlessControlHost host2{u"Command2", colors, text, 153, 41};
  XpB Command1{host1, events}, Command2{host2, events};
  bool browserFolderExists = true;
  MainServices services{
      [] {
        return DateTimeText{u"06.12.2026", u"20:05:04"};
      },
      [this] { return PathToText(home.Path()); },
      [this](const std::u16string&) { return browserFolderExists; },
      "UTF-8",
  };
  Main main{window, CD, Command1, Command2, services};
};

TEST_F(MainWindowTest, OpenStartsInTheBrowserFolderAndChoosesTheFile) {
  ExpectState(true, false, u"credit");
  Choose("notes.adr");
  ASSERT_EQ(picker.requests.size(), 1u);
  const PickerRequest& request = picker.requests[0].second;
  EXPECT_EQ(request.title, u"Select file");
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].description, u"notes.adr");
  EXPECT_EQ(request.filters[0].pattern, u"notes.adr");
  EXPECT_EQ(request.owner, kWindow);
#ifdef _WIN32
  EXPECT_EQ(request.startFolder, PathToText(home.Path()) + u"\\Opera");
#else
  EXPECT_EQ(request.startFolder, PathToText(home.Path()) + u"/.opera");
#endif
  // Shown and kept without the NUL the dialog ends it with.
  EXPECT_EQ(main.FilePath(), PathText("notes.adr"));
  ExpectState(false, true, PathText("notes.adr"));

  browserFolderExists = false;
  picker.answers.push_back(std::nullopt);
  main.Command1_Click();
  EXPECT_EQ(picker.requests[1].second.startFolder, PathToText(home.Path()));
}

TEST_F(MainWindowTest, CancellingOpenChangesNothing) {
  picker.answers.push_back(std::nullopt);
  main.Command1_Click();
  ExpectState(true, false, u"credit");
  EXPECT_EQ(main.FilePath(), u"");
}

TEST_F(MainWindowTest, SaveWritesTheExportAndReportsIt) {
  const std::string notes = "#NOTE\r\n\tNAME=Привет\r\n\tURL=http://a/\r\n";
  WriteBytes(dir / "notes.adr", notes);
  Choose("notes.adr");
  // A cancelled save dialog still writes, beside the notes file.
  picker.answers.push_back(std::nullopt);
  main.Command2_Click();

  ASSERT_EQ(picker.requests.size(), 2u);
  const PickerRequest& request = picker.requests[1].second;
  EXPECT_EQ(request.filters[0].pattern, u"*.txt");
  EXPECT_EQ(request.startFolder, u"c:\\");
  ASSERT_EQ(window.messages.size(), 1u);
  const Message& message = window.messages[0];
  EXPECT_EQ(message.text, u"File saved as " + PathText("notes.txt"));
  EXPECT_EQ(message.title, u"OK");
  EXPECT_EQ(message.icon, MessageIcon::kInformation);
  EXPECT_EQ(message.label1, u"Processing...");
  ExpectState(true, false, u"File saved");
  EXPECT_EQ(main.FilePath(), u"");
  EXPECT_EQ(ReadBytes(dir / "notes.txt"),
            Utf16ToUtf8(*ExportNotesText(notes, PathText("notes.adr"), u"06.12.2026", u"20:05:04") +
                        u"\r\n"));

  // The next export needs a file chosen anew, and goes where the dialog says.
  Choose("notes.adr");
  picker.answers.push_back(PathText("chosen") + u'\0');
  main.Command2_Click();
  EXPECT_TRUE(std::filesystem::exists(dir / "chosen.txt"));
  EXPECT_EQ(window.messages.back().text, u"File saved as " + PathText("chosen.txt"));
}

TEST_F(MainWindowTest, AnEmptyNotesFileSaysSoAndWaitsForAnother) {
  WriteBytes(dir / "notes.adr", "");
  Choose("notes.adr");
  main.Command2_Click();
  EXPECT_EQ(picker.requests.size(), 1u);  // no save dialog
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text,
            u"There are no notes in " + PathText("notes.adr") + u":\nthe file is empty.");
  ExpectState(true, false, u"The file holds no notes");
  EXPECT_EQ(main.FilePath(), u"");
}

// A notes file that cannot be read sends the window back to waiting for another; an export
// that cannot be written leaves the notes file chosen, so that Save can be tried again.
TEST_F(MainWindowTest, FailuresNameTheFileAndGoBackAStep) {
  struct Case {
    const char* what;
    std::string notesFile;
    std::function<void()> arrange;
    std::u16string message;  // followed by the system's reason
    bool notesFileKept;
  };
  WriteBytes(dir / "notes.adr", "NAME=a\r\n\tURL=b\r\n");
  std::filesystem::create_directory(dir / "folder.adr");
  const std::u16string notesPath = PathText("notes.adr");
  auto cannotRead = [&](const std::string& name) {
    return u"Cannot read " + PathText(name) + u":\n";
  };
  const Case cases[] = {
      {"notes file gone", "gone.adr", [] {}, cannotRead("gone.adr"), false},
      {"notes file that is a folder", "folder.adr", [] {}, cannotRead("folder.adr"), false},
#ifndef _WIN32
      // Opened as a notes file, a pipe without a writer would block the window for good.
      {"notes file that is a pipe", "pipe.adr",
       [&] { ASSERT_EQ(::mkfifo((dir / "pipe.adr").c_str(), 0600), 0); }, cannotRead("pipe.adr"),
       false},
#endif
      {"output in a missing folder", "notes.adr",
       [&] { picker.answers.push_back(PathText("missing/out") + u'\0'); },
       u"Cannot write " + PathText("missing/out.txt") + u":\n", true},
      {"a dialog that fails", "notes.adr", [&] { picker.fails = true; },
       u"The export of " + notesPath + u" failed:\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Choose(c.notesFile);
    window.messages.clear();
    c.arrange();
    main.Command2_Click();
    picker.fails = false;
    ASSERT_EQ(window.messages.size(), 1u);
    const std::u16string& shown = window.messages[0].text;
    EXPECT_TRUE(shown.starts_with(c.message) && shown.size() > c.message.size())
        << Utf16ToUtf8(shown);
    EXPECT_EQ(window.messages[0].icon, MessageIcon::kWarning);
    if (c.notesFileKept) {
      ExpectState(false, true, notesPath);
      EXPECT_EQ(main.FilePath(), notesPath);
    } else {
      ExpectState(true, false, u"The notes file could not be read");
      EXPECT_EQ(main.FilePath(), u"");
    }
  }
  // And Save can be tried again.
  picker.answers.push_back(std::nullopt);
  main.Command2_Click();
  EXPECT_EQ(window.label1, u"File saved");
}

}  // namespace
}  // namespace brackwater
