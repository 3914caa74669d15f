#include <gtest/gtest.h>

#include <QTest>
#include <deque>

#include "app/program.h"
#include "platform/system/files.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

class NoPicker final : public FilePicker {
 public:
  std::optional<std::u16string> OpenFile(const PickerRequest&) override { return Next(); }
  std::optional<std::u16string> SaveFile(const PickerRequest&) override { return Next(); }
  std::optional<std::u16string> OpenFolder(const std::u16string&, std::int32_t) override {
    return std::nullopt;
  }
  std::deque<std::optional<std::u16string>> answers;

 private:
  std::optional<std::u16string> Next() {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

MainServices FixedServices() {
  return {[] {
            return DateTimeText{u"06.12.2026", u"20:05:04"};
          },
          [] { return u"/nowhere"; }, [](const std::u16string&) { return false; }, "UTF-8"};
}

TEST(Program, TheWindowIsAsDesigned) {
  NoPicker picker;
  Program program(MainWindowDesign(), picker, FixedServices());
  QtWindow& window = program.Window();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_EQ(window.windowTitle(), "Brackwater");
  EXPECT_EQ(window.size(), QSize(324, 146));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(window.windowIcon().isNull());

  EXPECT_EQ(program.Label(u"Label2").text(), "Step 1. Find and open file \"notes.adr\"");
  EXPECT_EQ(program.Label(u"Label3").text(), "Step 2. Press \"Save\"");
  EXPECT_EQ(program.Label(u"Label4").text(), "Step 3. Enjoy!");
  EXPECT_TRUE(program.Label(u"Label1").text().contains("Version 1.0"));
  for (const char16_t* name : {u"Label2", u"Label3", u"Label4"}) {
    EXPECT_FALSE(program.Label(name).autoFillBackground());
  }
  EXPECT_EQ(program.Label(u"Label2").pos(), QPoint(8, 12));
  EXPECT_EQ(program.Label(u"Label3").pos(), QPoint(8, 32));
  EXPECT_EQ(program.Label(u"Label4").pos(), QPoint(8, 52));
  EXPECT_EQ(program.Label(u"Label1").geometry(), QRect(0, 128, 323, 17));
  EXPECT_TRUE(program.Label(u"Label1").autoFillBackground());
  EXPECT_EQ(program.Label(u"Label1").palette().color(QPalette::Window), QColor(192, 192, 192));

  EXPECT_EQ(program.ButtonWindow(u"Command1").geometry(), QRect(8, 76, 153, 41));
  EXPECT_EQ(program.ButtonWindow(u"Command2").geometry(), QRect(164, 76, 153, 41));
  EXPECT_TRUE(program.Button(u"Command1").EnabledCtrl());
  EXPECT_FALSE(program.Button(u"Command2").EnabledCtrl());
  EXPECT_EQ(program.Button(u"Command1").Caption(), u"Open");
  EXPECT_EQ(program.Button(u"Command2").Caption(), u"Save");
  // The dialog control lies outside the client area, at its own size whatever it was given.
  auto* dialogFace = window.findChild<QWidget*>("CD");
  ASSERT_NE(dialogFace, nullptr);
  EXPECT_EQ(dialogFace->geometry(), QRect(348, 120, 36, 36));

  // Tab order by tab index: Command1 then Command2.
  EXPECT_EQ(program.ButtonWindow(u"Command1").nextInFocusChain(),
            &program.ButtonWindow(u"Command2"));
  // The background shows through the transparent labels: white at the top-left corner.
  EXPECT_EQ(window.grab().toImage().pixelColor(1, 1), QColor(255, 255, 255));
}

TEST(Program, TheButtonsRunTheWorkflow) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "notes.adr", "#NOTE\n\tNAME=a\n\tURL=b\n");
  NoPicker picker;
  picker.answers = {PathToText(dir / "notes.adr") + u'\0'};
  Program program(MainWindowDesign(), picker, FixedServices());
  QtWindow& window = program.Window();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QtControlWidget& open = program.ButtonWindow(u"Command1");
  const QPoint centre = open.rect().center();
  QCursor::setPos(open.mapToGlobal(centre));
  QTest::mouseClick(&open, Qt::LeftButton, {}, centre);
  EXPECT_EQ(program.Label(u"Label1").text(),
            QString::fromStdU16String(PathToText(dir / "notes.adr")));
  EXPECT_FALSE(program.Button(u"Command1").EnabledCtrl());
  EXPECT_TRUE(program.Button(u"Command2").EnabledCtrl());
}

}  // namespace
}  // namespace brackwater
