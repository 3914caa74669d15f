#include "platform/qt/qt_control_widget.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QPalette>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/gui/device_context.h"
#include "platform/gui/failure_report.h"
#include "platform/qt/qt_window_host.h"
#include "tests/support/fixed_text_engine.h"
#include "tests/support/host_contract.h"
#include "tests/support/recording_input.h"
#include "xp_button/property_store.h"
#include "xp_button/xpb.h"

namespace brackwater {
namespace {

using Log = std::vector<std::string>;

TEST(QtControlWidget, AFailureInAHandlerIsReportedAndStopsAtTheWidget) {
  struct Failing : XpBEvents {
    void Click() override { throw std::runtime_error("no disk"); }
  } events;
  std::vector<std::pair<QWidget*, std::string>> reports;
  SetFailureReport<QWidget*>([&](QWidget* owner, const std::exception& error) {
    reports.emplace_back(owner, error.what());
  });
  const ClassicColors colors{};
  FixedTextEngine text;
  QtControlWidget widget(QStringLiteral("Command1"), colors, text);
  XpB button(widget, events);
  widget.SetInput(&button);
  widget.resize(80, 30);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  button.LoadFromStore(PropertyStore());
  QCursor::setPos(widget.mapToGlobal(QPoint(40, 15)));
  // Had the failure unwound through Qt's event dispatch, the test program would end here.
  QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(40, 15));
  widget.Press();
  SetFailureReport<QWidget*>(nullptr);
  EXPECT_EQ(reports, (std::vector<std::pair<QWidget*, std::string>>{{&widget, "no disk"},
                                                                    {&widget, "no disk"}}));
}

// Two hosted controls side by side in a shown, active window, each feeding its own recorder.
class QtControlHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 60);
    first.setGeometry(0, 0, 80, 30);
    second.setGeometry(100, 0, 80, 30);
    // Sizes are the layout's business, not the input's.
    firstInput.recordResizes = false;
    secondInput.recordResizes = false;
    first.SetInput(&firstInput);
    second.SetInput(&secondInput);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Clear();
  }
  void Clear() {
    firstInput.log.clear();
    secondInput.log.clear();
  }
  // A move of the pointer through the window system, to `at` in `target`.
  void MoveTo(QWidget& target, QPoint at) {
    QTest::mouseMove(window.windowHandle(), target.mapTo(&window, at));
  }

  testing::RecordingInput firstInput;
  testing::RecordingInput secondInput;
  const ClassicColors colors{};
  FixedTextEngine text;
  QWidget window;
  QtControlWidget first{QStringLiteral("Command1"), colors, text, &window};
  QtControlWidget second{QStringLiteral("Command2"), colors, text, &window};
};

TEST_F(QtControlHostTest, ShowsTheControlsImageAndTellsAHiddenControlItsNewSize) {
  const Image image(80, 30, 0xFF123456);
  first.ShowSurface({image.width, image.height, image.pixels});
  EXPECT_EQ(first.grab().toImage().pixelColor(79, 29), QColor(0x12, 0x34, 0x56));
  // Hidden, Qt would hold the resize event back until the widget is shown; the control hears
  // of its new size before the resize returns.
  QtControlWidget hidden(QStringLiteral("Hidden"), colors, text);
  testing::RecordingInput input;
  hidden.SetInput(&input);
  hidden.SetClientSize(5, 30);
  EXPECT_EQ(input.log, Log{"Resize"});
}

TEST_F(QtControlHostTest, MouseButtonsMovesAndModifierKeysArriveAsTheirMasks) {
  const struct {
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
    Log expected;
  } rows[] = {
      {Qt::LeftButton, {}, {"MouseDown 1 0 5 6", "MouseUp 1 0 5 6"}},
      {Qt::RightButton, Qt::ShiftModifier, {"MouseDown 2 1 5 6", "MouseUp 2 1 5 6"}},
      // The Windows key has no mask.
      {Qt::MiddleButton,
       Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier,
       {"MouseDown 4 6 5 6", "MouseUp 4 6 5 6"}},
      // Buttons that have no mask of their own are not the control's.
      {Qt::BackButton, {}, {}},
  };
  for (const auto& row : rows) {
    Clear();
    QTest::mouseClick(&first, row.button, row.modifiers, QPoint(5, 6));
    EXPECT_EQ(firstInput.log, row.expected) << row.button;
  }
  // Moves come with no button held too. The pointer comes from elsewhere: Qt reports no move to
  // where it already is.
  MoveTo(window, QPoint(190, 55));
  Clear();
  MoveTo(first, QPoint(10, 12));
  QTest::mousePress(&first, Qt::LeftButton, {}, QPoint(10, 12));
  QTest::mouseMove(&first, QPoint(20, 12));
  EXPECT_EQ(firstInput.log,
            (Log{"MouseMove 0 0 10 12", "MouseDown 1 0 10 12", "MouseMove 1 0 20 12"}));
  QTest::mouseRelease(&first, Qt::LeftButton, {}, QPoint(20, 12));
}

TEST_F(QtControlHostTest, KeysArriveAsTheKeysOfAUsKeyboard) {
  first.setFocus();
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 scanCode;  // the place on the keyboard, as Linux numbers the keys
    const char* expected;
  } rows[] = {
      {Qt::Key_A, Qt::ControlModifier, 0, "65 2"},
      {Qt::Key_0, {}, 0, "48 0"},
      {Qt::Key_Space, {}, 0, "32 0"},
      {Qt::Key_Return, {}, 0, "13 0"},
      {Qt::Key_F2, {}, 0, "113 0"},
      // A shifted symbol is the key it is on; the keypad's keys are their own.
      {Qt::Key_Exclam, Qt::ShiftModifier, 0, "49 1"},
      {Qt::Key_5, Qt::KeypadModifier, 0, "101 0"},
      // A letter of another script is the US key in its place, or none.
      {0x0416, {}, 47, "186 0"},
      {0x0419, {}, 24, "81 0"},
      {0x0416, {}, 0, "0 0"},
  };
  for (const auto& row : rows) {
    Clear();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent event(type, row.key, row.modifiers, row.scanCode, 0, 0);
      QApplication::sendEvent(&first, &event);
    }
    EXPECT_EQ(firstInput.log,
              (Log{std::string("KeyDown ") + row.expected, std::string("KeyUp ") + row.expected}))
        << std::hex << row.key;
  }
  // A held key, as a platform delivers it: each repeat comes as a made-up release and a press,
  // both marked as repeats. The key is released once.
  Clear();
  const std::pair<QEvent::Type, bool> held[] = {{QEvent::KeyPress, false},
                                                {QEvent::KeyRelease, true},
                                                {QEvent::KeyPress, true},
                                                {QEvent::KeyRelease, false}};
  for (const auto& [type, repeat] : held) {
    QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, QString(), repeat);
    QApplication::sendEvent(&first, &event);
  }
  EXPECT_EQ(firstInput.log, (Log{"KeyDown 32 0", "KeyDown 32 0", "KeyUp 32 0"}));
  // Tab moves the focus on, as between a window's controls, and its release goes where the
  // focus went.
  Clear();
  QTest::keyPress(&first, Qt::Key_Tab);
  QTest::keyRelease(&second, Qt::Key_Tab);
  EXPECT_EQ(firstInput.log, Log{"FocusOut"});
  EXPECT_EQ(secondInput.log, (Log{"FocusIn", "KeyUp 9 0"}));
}

TEST_F(QtControlHostTest, TheTimerTicksEveryTenMillisecondsWhileItIsOnEvenWhenDisabled) {
  auto* timer = first.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 10);
  // One tick of the running timer, delivered as Qt delivers it when the time has come.
  const auto tick = [timer] {
    QTimerEvent event(timer->timerId());
    if (timer->isActive()) QCoreApplication::sendEvent(timer, &event);
  };
  first.SetTimerEnabled(true);
  tick();
  first.SetEnabled(false);
  tick();
  first.SetTimerEnabled(false);
  tick();
  EXPECT_EQ(firstInput.log, (Log{"Timer", "Timer"}));
  EXPECT_FALSE(second.TimerEnabled());
  // The yield runs the events that wait.
  bool ran = false;
  QTimer::singleShot(0, &first, [&] { ran = true; });
  first.Yield();
  EXPECT_TRUE(ran);
}

TEST_F(QtControlHostTest, TheCaptureIsHeldUntilItsHolderLetsGoOrCannotTakeThePointer) {
  using Arrange = std::function<void()>;
  // Whether the control held the capture while the dialog was open, once it has closed.
  std::optional<bool> grabbed;
  // Held on, the capture would keep the pointer from the dialog that a click opened.
  const auto inModalDialog = [&](const Arrange& act) {
    return [&, act] {
      QDialog dialog(&window);
      QTimer::singleShot(0, &dialog, [&] {
        act();
        grabbed = QWidget::mouseGrabber() == &first;
        dialog.reject();
      });
      dialog.exec();
    };
  };
  const Arrange capture = [&] { first.SetCapture(); };
  const Arrange nothing = [] {};
  const struct {
    const char* name;
    Arrange arrange;
    bool held;
  } rows[] = {
      {"taken", nothing, true},
      {"let go by another control", [&] { second.ReleaseCapture(); }, true},
      {"let go by its holder", [&] { first.ReleaseCapture(); }, false},
      {"a modal dialog opened", inModalDialog(nothing), false},
      {"taken under a modal dialog", inModalDialog(capture), false},
      {"taken after the modal dialog closed",
       [&] {
         inModalDialog(nothing)();
         grabbed.reset();
         capture();
       },
       true},
      {"the control disabled", [&] { first.SetEnabled(false); }, false},
      {"taken while disabled",
       [&] {
         first.SetEnabled(false);
         capture();
       },
       false},
      {"its window disabled", [&] { window.setEnabled(false); }, false},
  };
  for (const auto& row : rows) {
    first.SetEnabled(true);
    window.setEnabled(true);
    first.SetCapture();
    grabbed = std::nullopt;
    row.arrange();
    EXPECT_EQ(grabbed.value_or(QWidget::mouseGrabber() == &first), row.held) << row.name;
    first.ReleaseCapture();
  }
}

TEST_F(QtControlHostTest, TheWindowUnderThePointerIsTheControlThere) {
  QCursor::setPos(second.mapToGlobal(QPoint(40, 15)));
  EXPECT_EQ(first.WindowUnderPointer(), second.WindowHandle());
  EXPECT_NE(first.WindowHandle(), second.WindowHandle());
  // The window between them is none that a control knows.
  QCursor::setPos(window.mapToGlobal(QPoint(90, 50)));
  EXPECT_EQ(first.WindowUnderPointer(), 0);
}

// A control as the program's window host makes it, in a shown window of its own.
class QtSubject final : public testing::HostContractSubject {
 public:
  QtSubject() {
    host_.MakeWindow(u"Contract", 200, 100);
    control_ = &dynamic_cast<QtControlWidget&>(host_.AddControlWindow(u"C", {10, 20, 110, 60}));
    host_.Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&host_.Window()));
  }
  ControlWindow& Control() override { return *control_; }
  void PointerOnControl(bool on) override {
    QCursor::setPos(on ? control_->mapToGlobal(QPoint(50, 20))
                       : host_.Window().mapToGlobal(QPoint(150, 90)));
  }
  void SetControlShown(bool shown) override { control_->setVisible(shown); }
  void WhileModalDialogOpen(const std::function<void()>& check) override {
    QDialog dialog(&host_.Window());
    // Beside the window, so that only its blocking keeps the pointer from the control.
    dialog.setGeometry(QRect(host_.Window().geometry().topRight() + QPoint(50, 0), QSize(60, 40)));
    QTimer::singleShot(0, &dialog, [&] {
      check();
      dialog.reject();
    });
    dialog.exec();
  }
  int WindowTextWidth(std::u16string_view text) override {
    // Measured on an image, as the caption is.
    const QImage device(1, 1, QImage::Format_RGB32);
    return QFontMetrics(host_.Window().font(), &device)
        .horizontalAdvance(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
  }
  void EnlargeWindowFont() override {
    QFont font = host_.Window().font();
    font.setPixelSize(font.pixelSize() + 8);
    host_.Window().setFont(font);
  }

 private:
  QtWindowHost host_{{}};
  QtControlWidget* control_ = nullptr;
};

TEST(QtHostContract, FollowsTheWindowFromPointRule) {
  testing::ExpectWindowFromPointRule([] { return std::make_unique<QtSubject>(); });
}

TEST(QtHostContract, TheCaptionIsInTheWindowFont) {
  testing::ExpectCaptionInTheWindowFont([] { return std::make_unique<QtSubject>(); });
}

TEST_F(QtControlHostTest, AltAndTheAccessKeyReachTheControlFromAnywhereInItsWindow) {
  second.setFocus();
  const struct {
    std::optional<char16_t> key;  // as the control hands it over, in lower case
    int typed;
    bool pressed;
  } rows[] = {
      {u'o', Qt::Key_O, true},
      {u'ж', u'Ж', true},
      // Without a key, Alt and the letter are keys like any other, for the control with the
      // focus.
      {std::nullopt, Qt::Key_O, false},
  };
  for (const auto& row : rows) {
    first.SetAccessKey(row.key);
    Clear();
    QTest::sendKeyEvent(QTest::Click, &second, static_cast<Qt::Key>(row.typed),
                        QString(QChar(row.typed)).toLower(), Qt::AltModifier);
    EXPECT_EQ(firstInput.log, row.pressed ? Log{"AccessKey"} : Log{}) << row.typed;
  }
}

TEST_F(QtControlHostTest, FontAndPaletteChangesAreAmbientChanges) {
  QFont font = first.font();
  font.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() + 5 : 20);
  first.setFont(font);
  QPalette palette = first.palette();
  palette.setColor(QPalette::Button, Qt::red);
  first.setPalette(palette);
  EXPECT_EQ(firstInput.log, (Log{"Ambient Font", "Ambient Palette"}));
  // The container's own changes reach its controls.
  Clear();
  window.setFont(QFont(font.family(), 31));
  EXPECT_EQ(secondInput.log, Log{"Ambient Font"});
}

TEST_F(QtControlHostTest, ADisabledControlGetsNoInput) {
  first.SetAccessKey(u'o');
  first.setFocus();
  Clear();
  // Not even the focus that disabling takes away.
  first.SetEnabled(false);
  EXPECT_FALSE(first.Enabled());
  QCursor::setPos(first.mapToGlobal(QPoint(40, 15)));
  QTest::mouseMove(&first, QPoint(41, 15));
  QTest::mouseClick(&first, Qt::LeftButton, {}, QPoint(41, 15));
  QTest::keyClick(&first, Qt::Key_Space);
  first.setFocus();
  QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
  first.Press();
  EXPECT_EQ(firstInput.log, Log{});

  // A disabled container shuts its controls off as well, though their own switch is on.
  first.SetEnabled(true);
  window.setEnabled(false);
  EXPECT_TRUE(first.Enabled());
  QTest::mouseClick(&first, Qt::LeftButton, {}, QPoint(41, 15));
  first.Press();
  EXPECT_EQ(firstInput.log, Log{});
}

TEST_F(QtControlHostTest, AssistiveTechnologySeesAPushButtonNamedByItsCaption) {
  std::u16string caption;
  first.SetCaptionSource([&caption] { return caption; });
  first.SetAccessKey(u'o');
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&first);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->role(), QAccessible::Button);
  EXPECT_EQ(face->text(QAccessible::Accelerator),
            QKeySequence(Qt::ALT | Qt::Key_O).toString(QKeySequence::NativeText));
  // The name is the caption as shown, without its access marks, whenever it is asked for.
  const std::pair<std::u16string, QString> names[] = {
      {u"&Open && close", "Open & close"}, {u"&&&x", "&x"}, {u"end&", "end"}, {u"", ""}};
  for (const auto& [shown, name] : names) {
    caption = shown;
    EXPECT_EQ(face->text(QAccessible::Name), name);
  }
  first.SetCaptionSource({});
  EXPECT_EQ(face->text(QAccessible::Name), "");

  QAccessibleActionInterface* actions = face->actionInterface();
  ASSERT_NE(actions, nullptr);
  const QString press = QAccessibleActionInterface::pressAction();
  EXPECT_TRUE(actions->actionNames().contains(press));
  actions->doAction(press);
  EXPECT_EQ(firstInput.log, Log{"AccessKey"});
}

}  // namespace
}  // namespace brackwater
