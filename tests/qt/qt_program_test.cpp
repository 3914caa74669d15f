#include "tests/qt/qt_program.h"

#include <gtest/gtest.h>

#include <QTest>

#include "tests/support/scripted_picker.h"

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
  QtWindowHost& host = program.host;
  QtWindow& window = host.Window();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_EQ(window.windowTitle(), "Brackwater");
  EXPECT_EQ(window.size(), QSize(324, 146));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(window.windowIcon().isNull());
  const QImage shown = window.grab().toImage();
  // The background shows through the transparent labels: white at the top-left corner.
  EXPECT_EQ(shown.pixelColor(1, 1), QColor(255, 255, 255));

  // Each instruction shows whole within its designed width, and the background's red emblem
  // keeps clear of the place it is designed for, with a margin of 20 pixels.
  const struct {
    const char16_t* name;
    QString text;
    QRect designed;
  } instructions[] = {
      {u"Label2", "Step 1. Find and open file \"notes.adr\"", {8, 12, 178, 13}},
      {u"Label3", "Step 2. Press \"Save\"", {8, 32, 101, 13}},
      {u"Label4", "Step 3. Enjoy!", {8, 52, 66, 13}},
  };
  for (const auto& row : instructions) {
    const QtLabel& label = host.Label(row.name);
    SCOPED_TRACE(row.text.toStdString());
    EXPECT_EQ(label.text(), row.text);
    EXPECT_EQ(label.pos(), row.designed.topLeft());
    EXPECT_LE(label.width(), row.designed.width());
    EXPECT_FALSE(label.autoFillBackground());
    const QRect clear = row.designed.adjusted(0, 0, 20, 4);
    for (int y = clear.top(); y <= clear.bottom(); ++y) {
      for (int x = clear.left(); x <= clear.right(); ++x) {
        const QColor pixel = shown.pixelColor(x, y);
        ASSERT_LT(pixel.red() - pixel.green(), 32) << x << ", " << y;
      }
    }
  }
  // So does the status line's credit, on its grey line.
  const QLabel& status = host.Label(u"Label1");
  EXPECT_TRUE(status.text().contains("Version 1.0"));
  EXPECT_LE(status.fontMetrics().horizontalAdvance(status.text()), status.width());
  EXPECT_EQ(status.geometry(), QRect(0, 128, 323, 17));
  EXPECT_TRUE(status.autoFillBackground());
  EXPECT_EQ(status.palette().color(QPalette::Window), QColor(192, 192, 192));

  const struct {
    const char16_t* name;
    QRect place;
    std::u16string caption;
    bool enabled;
  } buttons[] = {{u"Command1", {8, 76, 153, 41}, u"Open", true},
                 {u"Command2", {164, 76, 153, 41}, u"Save", false}};
  for (const auto& row : buttons) {
    EXPECT_EQ(host.ControlWidget(row.name).geometry(), row.place);
    EXPECT_EQ(host.ControlWidget(row.name).Caption(), row.caption);
    EXPECT_EQ(host.ControlWidget(row.name).isEnabled(), row.enabled);
  }
  // The dialog control lies outside the client area, its picture its whole face.
  auto* dialogFace = window.findChild<QWidget*>("CD");
  ASSERT_NE(dialogFace, nullptr);
  EXPECT_EQ(dialogFace->geometry(), QRect(348, 120, 36, 36));
  EXPECT_EQ(dialogFace->grab().toImage().pixelColor(16, 16),
            QPixmap(":/dialog_control.ico").toImage().pixelColor(16, 16));

  // Tab order by tab index, whatever order the blocks stand in: Command1 then Command2.
  const auto nextTakingFocus = [](QWidget* widget) {
    do widget = widget->nextInFocusChain();
    while (widget->focusPolicy() == Qt::NoFocus);
    return widget;
  };
  EXPECT_EQ(nextTakingFocus(&window), &host.ControlWidget(u"Command1"));
  EXPECT_EQ(nextTakingFocus(&host.ControlWidget(u"Command1")), &host.ControlWidget(u"Command2"));
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
  // The whole text is there to see on demand.
  EXPECT_EQ(status.toolTip(), path);
  EXPECT_EQ(status.accessibleDescription(), path);

  // A text that fits is shown as it is, with nothing more to tell.
  program.host.SetLabelText(u"Label1", u"File saved");
  EXPECT_EQ(status.text(), "File saved");
  EXPECT_EQ(status.toolTip(), "");
  EXPECT_EQ(status.accessibleDescription(), "");
}

}  // namespace
}  // namespace brackwater
