#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <list>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "notes_export/window/window_builder.h"
#include "platform/gui/headless_host.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"
#include "platform/system/user_folders.h"
#include "tests/support/fixed_text_engine.h"
#include "tests/support/main_window_design.h"
#include "tests/support/scripted_picker.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

DateTimeText Moment() { return {u"06.12.2026", u"20:05:04"}; }

// A desktop without a display, host of the built window and of the workflow alike: headless
// control windows, a scripted picker, a fixed clock, and a fresh folder for the files that is
// the user's home too. It keeps the tab order, Label1's text, and each message box as
// "TITLE ICON: TEXT", the text up to its first line end and "…" for the rest. It runs a workflow
// of its own over two headless buttons, Save disabled as the window starts.
struct Desk final : WindowHost, MainHost {
  Desk() { Command2.SetEnabledCtrl(false); }
  void MakeWindow(const std::u16string&, int, int) override {}
  void AddLabel(const std::u16string&, const Rect&, const std::u16string&,
                std::optional<Rgb>) override {}
  void SetLabelText(std::u16string_view name, const std::u16string& text) override {
    if (name == u"Label1") label1 = text;
  }
  ControlWindow& AddControlWindow(const std::u16string& name, const Rect&) override {
    return controls.emplace_back(name, colors, engine, 153, 41);
  }
  void AddDialogControlFace(const std::u16string&, const Rect&) override {}
  void SetTabOrder(const std::vector<ControlWindow*>& order) override {
    for (ControlWindow* control : order) tabOrder.push_back(control->InstanceName());
  }
  std::int32_t WindowHandle() const override { return 41; }
  void SetLabel1(const std::u16string& caption) override { label1 = caption; }
  void ShowMessage(const std::u16string& text, const std::u16string& title,
                   MessageIcon icon) override {
    EXPECT_EQ(label1, u"Processing...");
    const std::size_t end = std::min(text.find(u'\n'), text.size());
    shown += title + (icon == MessageIcon::kWarning ? u" !: " : u" i: ") + text.substr(0, end) +
             (end < text.size() ? u"\n…" : u"");
  }
  // The dialogs' requests, each in one line: title, owner, start folder, each filter's texts.
  std::u16string Asked() const {
    std::u16string lines;
    for (const auto& [kind, r] : picker.requests) {
      lines += (lines.empty() ? u"" : u"\n") + r.title + u"|" +
               Utf8ToUtf16(std::to_string(r.owner)) + u"|" + r.startFolder;
      for (const FileFilter& f : r.filters) lines += u"|" + f.description + u"|" + f.pattern;
    }
    return lines;
  }
  // The workflow's enabled buttons, Label1 and FilePath, then its message box.
  std::u16string State() const {
    return std::u16string(Command1.EnabledCtrl() ? u"Open " : u"") +
           (Command2.EnabledCtrl() ? u"Save " : u"") + u"| " + label1 + u" | " + main.FilePath() +
           u"\n" + shown;
  }
  // Every "@" stands for the files' folder.
  std::u16string In(std::u16string text) const {
    for (std::size_t at; (at = text.find(u'@')) != text.npos;)
      text.replace(at, 1, PathToText(dir / ""));
    return text;
  }

  testing::TempDir dir;
  testing::ScriptedPicker picker;
  ClassicColors colors;
  FixedTextEngine engine;
  std::list<HeadlessControlHost> controls;
  std::vector<std::u16string> tabOrder;
  std::u16string label1 = u"credit";
  std::u16string shown;
  bool browserFolderExists = true;
  MainServices services{Moment, [this] { return PathToText(dir.Path()); },
                        [this](const std::u16string&) { return browserFolderExists; }, "UTF-8"};
  CommonDialog CD{picker};
  XpBEvents events;
  XpB Command1{AddControlWindow(u"Command1", {}), events};
  XpB Command2{AddControlWindow(u"Command2", {}), events};
  Main main{*this, CD, Command1, Command2, services};
};

// Open, then Save, from a fresh window. A notes file that cannot be read sends the window back
// to waiting for another; an export that cannot be written leaves the notes file chosen, so that
// Save can be tried again.
TEST(MainWindowTest, EachStepLeavesTheWindowInItsState) {
  const struct {
    const char16_t* open;  // the answer of the open dialog, or nullptr to cancel it
    // Save not clicked (nullptr), clicked with no save dialog due (""), its dialog cancelled
    // ("-") or failing ("!"), or the answer of the save dialog.
    const char16_t* save;
    // The enabled buttons, Label1 and FilePath; then the message box, if any.
    const char16_t* stateAndMessage;
  } cases[] = {
      // open cancelled, no browser folder
      {nullptr, nullptr, u"Open | credit | \n"},
      // notes file chosen
      {u"@notes.adr", nullptr, u"Save | @notes.adr | @notes.adr\n"},
      // save dialog cancelled
      {u"@notes.adr", u"-", u"Open | File saved | \nOK i: File saved as @notes.txt"},
      // output chosen
      {u"@notes.adr", u"@chosen", u"Open | File saved | \nOK i: File saved as @chosen.txt"},
      // empty notes file
      {u"@empty.adr", u"",
       u"Open | The file holds no notes | \nBrackwater !: There are no notes in @empty.adr:\n…"},
      // notes file gone
      {u"@gone.adr", u"",
       u"Open | The notes file could not be read | \nBrackwater !: Cannot read @gone.adr:\n…"},
#ifndef _WIN32
      // notes file that is a pipe: opened as a notes file, a pipe without a writer would block the
      // window for good
      {u"@pipe.adr", u"",
       u"Open | The notes file could not be read | \nBrackwater !: Cannot read @pipe.adr:\n…"},
#endif
      // output in a missing folder
      {u"@notes.adr", u"@missing/out",
       u"Save | @notes.adr | @notes.adr\nBrackwater !: Cannot write @missing/out.txt:\n…"},
      // a dialog that fails
      {u"@notes.adr", u"!",
       u"Save | @notes.adr | @notes.adr\nBrackwater !: The export of @notes.adr failed:\n…"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.stateAndMessage));
    Desk s;
    testing::WriteBytes(s.dir / "notes.adr", "#NOTE\r\n\tNAME=Привет\r\n\tURL=http://a/\r\n");
    testing::WriteBytes(s.dir / "empty.adr", "");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((s.dir / "pipe.adr").c_str(), 0600), 0);
#endif
    s.browserFolderExists = c.open != nullptr;
    s.picker.answers.push_back(c.open ? std::optional(s.In(c.open) + u'\0') : std::nullopt);
    s.main.Command1_Click();
    if (c.save != nullptr) {
      const std::u16string save = c.save;
      s.picker.answers.push_back(save.size() > 1 ? std::optional(s.In(save) + u'\0')
                                                 : std::nullopt);
      s.picker.fails = save == u"!";
      s.main.Command2_Click();
    }

    EXPECT_EQ(s.State(), s.In(c.stateAndMessage));
    const std::u16string home = PathToText(s.dir.Path());
    const std::u16string open =
        u"Select file|41|" + (c.open ? BrowserDataFolder(home) : home) + u"|notes.adr|notes.adr";
    EXPECT_EQ(s.Asked(), c.save && *c.save ? open + u"\nSelect file|41|c:\\|*.txt|*.txt" : open);
  }
}

TEST(MainWindowBuilder, WiresEachButtonByItsNameWhereverItsBlockStands) {
  DesignData design = testing::MainWindowDesign();
  // The blocks in the reverse order: the buttons swap places in the data.
  std::ranges::reverse(design.controls);
  Desk desk;
  MainWindow window(design, desk, desk.picker, desk.services);
  EXPECT_EQ(desk.tabOrder, (std::vector<std::u16string>{u"Command1", u"Command2"}));

  desk.picker.answers.push_back(u"/notes.adr");
  window.Button(u"Command1").OnAccessKey();
  EXPECT_EQ(desk.label1, u"/notes.adr");
}

// The shipped data broken in one place: each fault named, the parser's with its line; a control
// that the workflow needs renamed or of another kind, two controls of one name, a kind unknown
// here.
TEST(MainWindowBuilder, RefusesDesignDataThatDoesNotDescribeTheWindow) {
  const struct {
    const char* from;
    const char* to;
    const char* named;
  } cases[] = {
      {"Begin Window", "Window", "line 4: the data must begin with \"Begin Window NAME\""},
      // A "#" inside quotes is text, and one after them starts a comment.
      {"\"Brackwater\"", "\"#\" x # y", "line 5: not a value: \"#\" x"},
      {"\"Brackwater\"", "\"a\"b\"", "line 5: a quote inside text is doubled"},
      {"= 4860", "= &HXYZ&", "line 9: not a number in hex: &HXYZ&"},
      {"= 4860", "4860", "line 9: a setting is \"key = value\""},
      {"ClientWidth", "Client Width", "line 9: a key is one word"},
      {"Label Label2", "Label", "line 14: a control begins with \"Begin KIND NAME\""},
      {"Left = 120", "Left = \"far\"", "line 15: a position is a whole number of twips"},
      {"  End\n  Begin Label Label3", "  Begin Label Label3", "line 22: controls do not nest"},
      // A block whose End is missing: the control's, then the window's.
      {"  End\nEnd\n", "", "line 88: a control's \"End\" is missing"},
      {"  End\nEnd\n", "  End\n", "line 89: the window's \"End\" is missing"},
      {"  End\nEnd\n", "  End\nEnd\nEnd\n", "line 90: nothing may follow the window's \"End\""},
      {"XpB Command1", "XpB Command9", "no button Command1"},
      {"Brackwater.XpB Command2", "Label Command2", "no button Command2"},
      {"Label Label1", "Label Label9", "no label Label1"},
      {"CommonDialog CD", "CommonDialog CD2", "no dialog control CD"},
      {"Label Label2", "Label Label3", "named Label3"},
      {"CommonDialog CD", "VB.TextBox CD", "no such kind of control: VB.TextBox"},
  };
  for (const auto& [from, to, named] : cases) {
    std::string text =
        testing::ReadBytes(std::string(BRACKWATER_RESOURCES) + "/main_window.design");
    text.replace(text.find(from), std::string_view(from).size(), to);
    Desk desk;
    EXPECT_THAT([&] { MainWindow(ParseDesignData(text), desk, desk.picker, {}); },
                ::testing::ThrowsMessage<DesignDataError>(::testing::HasSubstr(named)));
  }
}

}  // namespace
}  // namespace brackwater
