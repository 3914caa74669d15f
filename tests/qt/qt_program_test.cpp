#include "tests/qt/qt_program.h"

#include <gtest/gtest.h>

#include <QTest>

#include "platform/system/files.h"
#include "tests/support/scripted_picker.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

MainServices FixedServices() {
  return {[] {
            return DateTimeText{u"06.12.2026", u"20:05:04"};
          },
          [] { return u"/nowhere"; }, [](const std::u16string&) { return false; }, "UTF-8"};
}

TEST(Program, TheWindowIsAsDesigned) {
  testing::ScriptedPicker picker;
  testing::QtProgram program(picker, FixedServices());
  QtWindow& window = program.host.Window();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_EQ(window.windowTitle(), "Brackwater");
  EXPECT_EQ(window.size(), QSize(324, 146));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(window.windowIcon().isNull());

  EXPECT_EQ(program.host.Label(u"Label2").text(), "Step 1. Find and open file \"notes.adr\"");
  EXPECT_EQ(program.host.Label(u"Label3").text(), "Step 2. Press \"Save\"");
  EXPECT_EQ(program.host.Label(u"Label4").text(), "Step 3. Enjoy!");
  EXPECT_TRUE(program.host.Label(u"Label1").text().contains("Version 1.0"));
  for (const char16_t* name : {u"Label2", u"Label3", u"Label4"}) {
    EXPECT_FALSE(program.host.Label(name).autoFillBackground());
  }
  EXPECT_EQ(program.host.Label(u"Label2").pos(), QPoint(8, 12));
  EXPECT_EQ(program.host.Label(u"Label3").pos(), QPoint(8, 32));
  EXPECT_EQ(program.host.Label(u"Label4").pos(), QPoint(8, 52));
  EXPECT_EQ(program.host.Label(u"Label1").geometry(), QRect(0, 128, 323, 17));
  EXPECT_TRUE(program.host.Label(u"Label1").autoFillBackground());
  EXPECT_EQ(program.host.Label(u"Label1").palette().color(QPalette::Window), QColor(192, 192, 192));

  EXPECT_EQ(program.host.ControlWidget(u"Command1").geometry(), QRect(8, 76, 153, 41));
  EXPECT_EQ(program.host.ControlWidget(u"Command2").geometry(), QRect(164, 76, 153, 41));
  EXPECT_TRUE(program.window.Button(u"Command1").EnabledCtrl());
  EXPECT_FALSE(program.window.Button(u"Command2").EnabledCtrl());
  EXPECT_EQ(program.window.Button(u"Command1").Caption(), u"Open");
  EXPECT_EQ(program.window.Button(u"Command2").Caption(), u"Save");
  // The dialog control lies outside the client area, at its own size whatever it was given.
  auto* dialogFace = window.findChild<QWidget*>("CD");
  ASSERT_NE(dialogFace, nullptr);
  EXPECT_EQ(dialogFace->geometry(), QRect(348, 120, 36, 36));

  // Tab order by tab index, whatever order the blocks stand in: Command1 then Command2.
  const auto nextTakingFocus = [](QWidget* widget) {
    do widget = widget->nextInFocusChain();
    while (widget->focusPolicy() == Qt::NoFocus);
    return widget;
  };
  EXPECT_EQ(nextTakingFocus(&window), &program.host.ControlWidget(u"Command1"));
  EXPECT_EQ(nextTakingFocus(&program.host.ControlWidget(u"Command1")),
            &program.host.ControlWidget(u"Command2"));
  // The background shows through the transparent labels: white at the top-left corner.
  const QImage shown = window.grab().toImage();
  EXPECT_EQ(shown.pixelColor(1, 1), QColor(255, 255, 255));

  // Each instruction shows whole within its designed width, and the background's red emblem
  // keeps clear of the place it is designed for, with a margin of 20 pixels.
  const struct {
    const char16_t* name;
    QRect designed;
  } instructions[] = {
      {u"Label2", {8, 12, 178, 13}}, {u"Label3", {8, 32, 101, 13}}, {u"Label4", {8, 52, 66, 13}}};
  for (const auto& label : instructions) {
    const std::string name(label.name, label.name + 6);
    EXPECT_LE(program.host.Label(label.name).width(), label.designed.width()) << name;
    const QRect clear = label.designed.adjusted(0, 0, 20, 4);
    for (int y = clear.top(); y <= clear.bottom(); ++y) {
      for (int x = clear.left(); x <= clear.right(); ++x) {
        const QColor pixel = shown.pixelColor(x, y);
        ASSERT_LT(pixel.red() - pixel.green(), 32) << name << " at " << x << ", " << y;
      }
    }
  }
  // So does the status line's credit, and the buttons' captions take the window's font.
  const QLabel& status = program.host.Label(u"Label1");
  EXPECT_LE(status.fontMetrics().horizontalAdvance(status.text()), status.width());
  EXPECT_EQ(program.host.ControlWidget(u"Command1").font(), window.font());
}

TEST(Program, AStatusTooLongForItsLineIsShortenedInTheMiddle) {
  testing::ScriptedPicker picker;
  testing::QtProgram program(picker, FixedServices());
  QtLabel& status = program.host.Label(u"Label1");
  const QString path =
      "/home/someone/with/a/very/long/path/to/the/browser/profile/folder/where/"
      "the/notes/are/kept/notes.adr";
  program.host.SetLabelText(u"Label1", path.toStdU16String());
  EXPECT_LE(status.fontMetrics().horizontalAdvance(status.text()), status.width());
  EXPECT_TRUE(status.text().startsWith("/home/")) << status.text().toStdString();
  EXPECT_TRUE(status.text().endsWith(QString::fromUtf16(u"\u2026/notes.adr")))
      << status.text().toStdString();
  EXPECT_FALSE(status.wordWrap());
  EXPECT_EQ(status.WholeText(), path);
  EXPECT_EQ(status.toolTip(), path);
  EXPECT_EQ(status.accessibleDescription(), path);

  // A text that fits is shown as it is, with nothing more to tell.
  program.host.SetLabelText(u"Label1", u"File saved");
  EXPECT_EQ(status.text(), "File saved");
  EXPECT_EQ(status.toolTip(), "");
  EXPECT_EQ(status.accessibleDescription(), "");
}

TEST(Program, TheButtonsRunTheWorkflow) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "notes.adr", "#NOTE\n\tNAME=a\n\tURL=b\n");
  testing::ScriptedPicker picker;
  picker.answers = {PathToText(dir / "notes.adr") + u'\0'};
  testing::QtProgram program(picker, FixedServices());
  QtWindow& window = program.host.Window();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QtControlWidget& open = program.host.ControlWidget(u"Command1");
  const QPoint centre = open.rect().center();
  QCursor::setPos(open.mapToGlobal(centre));
  QTest::mouseClick(&open, Qt::LeftButton, {}, centre);
  EXPECT_EQ(program.host.Label(u"Label1").text(),
            QString::fromStdU16String(PathToText(dir / "notes.adr")));
  EXPECT_FALSE(program.window.Button(u"Command1").EnabledCtrl());
  EXPECT_TRUE(program.window.Button(u"Command2").EnabledCtrl());
}

}  // namespace
}  // namespace brackwater
