#include "platform/qt/qt_control_widget.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/qt_window_host.h"
#include "tests/support/host_contract.h"
#include "tests/support/recording_input.h"

namespace brackwater {
namespace {

using Log = std::vector<std::string>;

// Two controls as the program's window host makes them, side by side in a shown, active window;
// the first tells a recorder. For the rules that all hosts share, the first is the control.
struct QtControls final : testing::HostContractSubject {
  QtControls() {
    host.MakeWindow(u"Controls", 200, 60);
    first = &dynamic_cast<QtControlWidget&>(host.AddControlWindow(u"C1", {0, 0, 80, 30}));
    second = &dynamic_cast<QtControlWidget&>(host.AddControlWindow(u"C2", {100, 0, 180, 30}));
    first->SetInput(&input);
    host.Window().show();
    host.Window().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&host.Window()));
    // Sizes are the layout's business, not the input's.
    input.recordResizes = false;
    input.log.clear();
  }
  // What the control was told since the last look.
  Log Told() { return std::exchange(input.log, {}); }

  ControlWindow& Control() override { return *first; }
  void PointerOnControl(bool on) override {
    QCursor::setPos(host.Window().mapToGlobal(on ? QPoint(40, 15) : QPoint(190, 50)));
  }
  void SetControlShown(bool shown) override { first->setVisible(shown); }
  void WhileModalDialogOpen(const std::function<void()>& check) override {
    QDialog dialog(&host.Window());
    // Beside the window, so that only its blocking keeps the pointer from the controls.
    dialog.setGeometry(QRect(host.Window().geometry().topRight() + QPoint(50, 0), QSize(60, 40)));
    QTimer::singleShot(0, &dialog, [&] {
      check();
      dialog.reject();
    });
    dialog.exec();
  }
  int WindowTextWidth(std::u16string_view text) override {
    // Measured on an image, as the caption is.
    const QImage device(1, 1, QImage::Format_RGB32);
    return QFontMetrics(host.Window().font(), &device)
        .horizontalAdvance(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
  }
  void EnlargeWindowFont() override {
    QFont font = host.Window().font();
    font.setPixelSize(font.pixelSize() + 8);
    host.Window().setFont(font);
  }

  // Outlives the window, which tells it of its last focus change.
  testing::RecordingInput input;
  QtWindowHost host{{}};
  QtControlWidget* first = nullptr;
  QtControlWidget* second = nullptr;
};

TEST(QtHostContract, FollowsTheWindowFromPointRule) {
  testing::ExpectWindowFromPointRule([] { return std::make_unique<QtControls>(); });
}

TEST(QtHostContract, TheCaptionIsInTheWindowFont) {
  testing::ExpectCaptionInTheWindowFont([] { return std::make_unique<QtControls>(); });
}

TEST(QtControlHost, MouseButtonsMovesAndModifierKeysArriveAsTheirMasks) {
  QtControls c;
  QTest::mouseClick(c.first, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseClick(c.first, Qt::RightButton, Qt::ShiftModifier, QPoint(5, 6));
  // The Windows key has no mask; buttons without one are not the control's.
  QTest::mouseClick(c.first, Qt::MiddleButton,
                    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier, QPoint(5, 6));
  QTest::mouseClick(c.first, Qt::BackButton, {}, QPoint(5, 6));
  // Moves come with no button held too. Qt reports no move to where the pointer already is.
  QTest::mouseMove(c.host.Window().windowHandle(), QPoint(190, 55));
  QTest::mouseMove(c.host.Window().windowHandle(), QPoint(10, 12));
  QTest::mousePress(c.first, Qt::LeftButton, {}, QPoint(10, 12));
  QTest::mouseMove(c.first, QPoint(20, 12));
  QTest::mouseRelease(c.first, Qt::LeftButton, {}, QPoint(20, 12));
  EXPECT_EQ(c.Told(),
            (Log{"MouseDown 1 0 5 6", "MouseUp 1 0 5 6", "MouseDown 2 1 5 6", "MouseUp 2 1 5 6",
                 "MouseDown 4 6 5 6", "MouseUp 4 6 5 6", "MouseMove 0 0 10 12",
                 "MouseDown 1 0 10 12", "MouseMove 1 0 20 12", "MouseUp 1 0 20 12"}));
  // Held on, the capture would keep the pointer from the very dialog that a click opened.
  c.first->SetCapture();
  c.WhileModalDialogOpen([] { EXPECT_EQ(QWidget::mouseGrabber(), nullptr); });
  // The pointer is over the control that is where it is.
  QCursor::setPos(c.second->mapToGlobal(QPoint(40, 15)));
  EXPECT_EQ(c.first->WindowUnderPointer(), c.second->WindowHandle());
}

TEST(QtControlHost, KeysArriveAsTheKeysOfAUsKeyboardAndTheTimerTicksEvenWhenDisabled) {
  QtControls c;
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 scanCode;  // the place on the keyboard, as Linux numbers the keys
    bool repeat;
  } events[] = {{Qt::Key_A, Qt::ControlModifier, 0, false},
                {Qt::Key_F2, {}, 0, false},
                // A shifted symbol is the key it is on; the keypad's keys are their own.
                {Qt::Key_Exclam, Qt::ShiftModifier, 0, false},
                {Qt::Key_5, Qt::KeypadModifier, 0, false},
                // A letter of another script is the US key in its place, or none.
                {0x0416, {}, 47, false},
                {0x0416, {}, 0, false},
                // A held key's made-up releases are marked as repeats: it is released once.
                {Qt::Key_Space, {}, 0, true}};
  for (const auto& event : events) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent key(type, event.key, event.modifiers, event.scanCode, 0, 0, {}, event.repeat);
      QApplication::sendEvent(c.first, &key);
    }
  }
  // The access key works from anywhere in the window; without one, Alt and the letter are keys
  // for the control with the focus.
  for (const auto& [key, typed] : {std::pair{u'ж', u'Ж'}, {u'\0', u'Ж'}, {u'o', u'O'}}) {
    c.first->SetAccessKey(key != 0 ? std::optional(key) : std::nullopt);
    QTest::sendKeyEvent(QTest::Click, c.second, static_cast<Qt::Key>(typed),
                        QString(QChar(typed)).toLower(), Qt::AltModifier);
  }
  // Disabled, the control gets no input, not even its access key; its timer ticks all the same.
  c.first->SetEnabled(false);
  QTest::keyClick(c.second, Qt::Key_O, Qt::AltModifier);
  c.first->Press();
  c.first->SetTimerEnabled(true);
  auto* timer = c.first->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
  QTimerEvent tick(timer->timerId());
  QCoreApplication::sendEvent(timer, &tick);
  EXPECT_EQ(timer->interval(), 10);
  EXPECT_EQ(c.Told(),
            (Log{"KeyDown 65 2", "KeyUp 65 2", "KeyDown 113 0", "KeyUp 113 0", "KeyDown 49 1",
                 "KeyUp 49 1", "KeyDown 101 0", "KeyUp 101 0", "KeyDown 186 0", "KeyUp 186 0",
                 "KeyDown 0 0", "KeyUp 0 0", "KeyDown 32 0", "AccessKey", "AccessKey", "Timer"}));
}

TEST(QtControlHost, ShowsItsImageAndPassesOnWhatItsWindowChanges) {
  QtControls c;
  const Image image(80, 30, 0xFF123456);
  c.first->ShowSurface({image.width, image.height, image.pixels});
  EXPECT_EQ(c.first->grab().toImage().pixelColor(79, 29), QColor(0x12, 0x34, 0x56));
  // The font and the colours are what a container's controls take up from it.
  c.EnlargeWindowFont();
  QPalette palette = c.first->palette();
  palette.setColor(QPalette::Button, Qt::red);
  c.first->setPalette(palette);
  // The yield runs the events that wait.
  QTimer::singleShot(0, c.first, [&] { c.input.log.push_back("waited"); });
  c.first->Yield();
  // Qt holds a hidden widget's resize event back until it is shown; the control hears of it.
  c.first->hide();
  c.input.recordResizes = true;
  c.first->SetClientSize(5, 30);
  // Assistive technology sees a push button named by its caption without its access marks.
  c.first->SetCaptionSource([] { return u"&Open && close&"; });
  c.first->SetAccessKey(u'o');
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(c.first);
  EXPECT_EQ(face->role(), QAccessible::Button);
  EXPECT_EQ(face->text(QAccessible::Name), "Open & close");
  face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(c.Told(),
            (Log{"Ambient Font", "Ambient Palette", "waited", "FocusOut", "Resize", "AccessKey"}));
}

}  // namespace
}  // namespace brackwater
