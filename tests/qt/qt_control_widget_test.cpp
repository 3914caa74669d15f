#include "platform/qt/qt_control_widget.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QColor>
#include <QCursor>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QPalette>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/gui/device_context.h"
#include "platform/gui/failure_report.h"
#include "platform/qt/qt_control_accessible.h"
#include "platform/qt/qt_window_host.h"
#include "tests/support/fixed_text_engine.h"
#include "tests/support/host_contract.h"
#include "tests/support/recording_input.h"
#include "xp_button/property_store.h"
#include "xp_button/xpb.h"

namespace brackwater {
namespace {

struct ClickCounter : XpBEvents {
  void Click() override { ++clicks; }
  int clicks = 0;
};

TEST(QtControlWidget, ALeftClickOverTheEnabledButtonClicksOnce) {
  ClickCounter events;
  const ClassicColors colors{};
  FixedTextEngine text;
  QtControlWidget widget(QStringLiteral("Command1"), colors, text);
  XpB button(widget, events);
  widget.SetInput(&button);
  widget.resize(80, 30);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  PropertyStore store;
  button.LoadFromStore(store);
  // The widget shows the control's retained image as it stands.
  EXPECT_EQ(widget.grab().toImage().pixelColor(79, 29), QColor(212, 208, 200));

  // The click rule asks where the pointer is now, and QTest's clicks do not move it: put it on
  // the button first, as a real click has it.
  const QPoint centre(40, 15);
  QCursor::setPos(widget.mapToGlobal(centre));
  QTest::mouseClick(&widget, Qt::LeftButton, {}, centre);
  EXPECT_EQ(events.clicks, 1);

  // A release while the pointer is somewhere else.
  QCursor::setPos(widget.mapToGlobal(QPoint(200, 200)));
  QTest::mouseClick(&widget, Qt::LeftButton, {}, centre);
  EXPECT_EQ(events.clicks, 1);

  QCursor::setPos(widget.mapToGlobal(centre));
  button.SetEnabledCtrl(false);
  QTest::mouseClick(&widget, Qt::LeftButton, {}, centre);
  EXPECT_EQ(events.clicks, 1);
  EXPECT_FALSE(widget.isEnabled());
}

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

TEST(QtControlWidget, TheControlHearsOfItsNewSizeBeforeTheResizeReturns) {
  // Hidden, Qt would hold the resize event back until the widget is shown.
  XpBEvents events;
  const ClassicColors colors{};
  FixedTextEngine text;
  QtControlWidget widget(QStringLiteral("Command1"), colors, text);
  XpB button(widget, events);
  widget.SetInput(&button);
  widget.resize(5, 30);
  PropertyStore store;
  button.LoadFromStore(store);
  EXPECT_EQ(widget.size(), QSize(10, 30));
  EXPECT_EQ(button.SurfaceWidth(), 10);
  EXPECT_EQ(button.Surface().width, 10);
}

TEST(QtControlWidget, YieldRunsTheWaitingEvents) {
  const ClassicColors colors{};
  FixedTextEngine text;
  QtControlWidget widget(QStringLiteral("Command1"), colors, text);
  bool ran = false;
  QTimer::singleShot(0, &widget, [&] { ran = true; });
  widget.Yield();
  EXPECT_TRUE(ran);
}

std::string Whole(float value) { return std::to_string(static_cast<int>(value)); }

using testing::RecordingInput;

using Log = std::vector<std::string>;

// One tick of a widget's running timer, delivered as Qt delivers it when the time has come.
void Tick(QtControlWidget& widget) {
  auto* timer = widget.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_NE(timer, nullptr);
  if (!timer->isActive()) return;
  QTimerEvent tick(timer->timerId());
  QCoreApplication::sendEvent(timer, &tick);
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
  void TearDown() override {
    first.ReleaseCapture();
    second.ReleaseCapture();
  }
  void Clear() {
    firstInput.log.clear();
    secondInput.log.clear();
  }
  // A move of the pointer through the window system, to `at` in `target`, with no modifier
  // key held whatever keys earlier tests pressed.
  void MoveTo(QWidget& target, QPoint at) {
    QTest::mouseMove(window.windowHandle(), target.mapTo(&window, at));
  }
  // Puts the pointer on the window between the controls: Qt reports no move to where the
  // pointer already is, and an earlier test may have left it anywhere.
  void PointerAway() {
    MoveTo(window, QPoint(190, 55));
    Clear();
  }

  RecordingInput firstInput;
  RecordingInput secondInput;
  const ClassicColors colors{};
  FixedTextEngine text;
  QWidget window;
  QtControlWidget first{QStringLiteral("Command1"), colors, text, &window};
  QtControlWidget second{QStringLiteral("Command2"), colors, text, &window};
};

TEST_F(QtControlHostTest, MouseButtonsAndModifierKeysArriveAsTheirMasks) {
  first.setFocus();
  struct Row {
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
    Log expected;
  };
  const Row rows[] = {
      {Qt::LeftButton, {}, {"MouseDown 1 0 5 6", "MouseUp 1 0 5 6"}},
      {Qt::RightButton, Qt::ShiftModifier, {"MouseDown 2 1 5 6", "MouseUp 2 1 5 6"}},
      {Qt::MiddleButton, Qt::ControlModifier, {"MouseDown 4 2 5 6", "MouseUp 4 2 5 6"}},
      {Qt::LeftButton, Qt::AltModifier, {"MouseDown 1 4 5 6", "MouseUp 1 4 5 6"}},
      {Qt::RightButton,
       Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier,
       {"MouseDown 2 7 5 6", "MouseUp 2 7 5 6"}},
  };
  for (const Row& row : rows) {
    Clear();
    QTest::mousePress(&first, row.button, row.modifiers, QPoint(5, 6));
    QTest::mouseRelease(&first, row.button, row.modifiers, QPoint(5, 6));
    EXPECT_EQ(firstInput.log, row.expected) << row.expected.front();
  }
  // Buttons that have no mask of their own are not the control's.
  Clear();
  QTest::mouseClick(&first, Qt::BackButton, {}, QPoint(5, 6));
  EXPECT_EQ(firstInput.log, Log{});
}

TEST_F(QtControlHostTest, MovesArriveWithAndWithoutAPressedButton) {
  PointerAway();
  MoveTo(first, QPoint(10, 12));
  EXPECT_EQ(firstInput.log, Log{"MouseMove 0 0 10 12"});
  Clear();
  QTest::mousePress(&first, Qt::LeftButton, {}, QPoint(10, 12));
  QTest::mouseMove(&first, QPoint(20, 12));
  QTest::mouseRelease(&first, Qt::LeftButton, {}, QPoint(20, 12));
  EXPECT_EQ(firstInput.log,
            (Log{"MouseDown 1 0 10 12", "MouseMove 1 0 20 12", "MouseUp 1 0 20 12"}));
}

TEST_F(QtControlHostTest, KeysArriveAsVirtualKeyCodesWithTheModifierMask) {
  first.setFocus();
  Clear();
  QTest::keyClick(&first, Qt::Key_Space);
  QTest::keyClick(&first, Qt::Key_Return);
  QTest::keyClick(&first, Qt::Key_Escape);
  QTest::keyClick(&first, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&first, Qt::Key_5, Qt::KeypadModifier);
  EXPECT_EQ(firstInput.log, (Log{"KeyDown 32 0", "KeyUp 32 0", "KeyDown 13 0", "KeyUp 13 0",
                                 "KeyDown 27 0", "KeyUp 27 0", "KeyDown 17 2", "KeyDown 65 2",
                                 "KeyUp 65 2", "KeyUp 17 0", "KeyDown 101 0", "KeyUp 101 0"}));
  // A letter of another script has the code of the key it is on, and a key that is nowhere on
  // a US keyboard has 0: both are still pressed and released.
  Clear();
  for (const quint32 scanCode : {47u, 0u}) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent event(type, 0x0416, Qt::NoModifier, scanCode, 0x6d6, 0, QStringLiteral("ж"));
      QApplication::sendEvent(&first, &event);
    }
  }
  EXPECT_EQ(firstInput.log, (Log{"KeyDown 186 0", "KeyUp 186 0", "KeyDown 0 0", "KeyUp 0 0"}));
  // Tab moves the focus on, as between a window's controls, and its release goes where the
  // focus went.
  Clear();
  QTest::keyPress(&first, Qt::Key_Tab);
  QTest::keyRelease(&second, Qt::Key_Tab);
  EXPECT_EQ(firstInput.log, Log{"FocusOut"});
  EXPECT_EQ(secondInput.log, (Log{"FocusIn", "KeyUp 9 0"}));
}

TEST(VirtualKeyCode, NamesEachKeyAsAUsKeyboardDoes) {
  struct Row {
    int key;
    Qt::KeyboardModifiers modifiers;
    std::optional<std::int16_t> code;
  };
  const Row rows[] = {
      {Qt::Key_Space, {}, 32},
      {Qt::Key_Return, {}, 13},
      {Qt::Key_Enter, Qt::KeypadModifier, 13},
      {Qt::Key_Escape, {}, 27},
      {Qt::Key_Tab, {}, 9},
      {Qt::Key_Backtab, Qt::ShiftModifier, 9},
      {Qt::Key_Backspace, {}, 8},
      {Qt::Key_A, {}, 65},
      {Qt::Key_Z, Qt::ShiftModifier, 90},
      {Qt::Key_0, {}, 48},
      {Qt::Key_9, {}, 57},
      {Qt::Key_F1, {}, 112},
      {Qt::Key_F24, {}, 135},
      {Qt::Key_Left, {}, 37},
      {Qt::Key_Down, {}, 40},
      {Qt::Key_PageUp, {}, 33},
      {Qt::Key_Delete, {}, 46},
      {Qt::Key_Shift, {}, 16},
      {Qt::Key_Control, {}, 17},
      {Qt::Key_Alt, {}, 18},
      // A shifted symbol is the key it is on.
      {Qt::Key_Exclam, Qt::ShiftModifier, 49},
      {Qt::Key_ParenRight, Qt::ShiftModifier, 48},
      {Qt::Key_Question, Qt::ShiftModifier, 191},
      {Qt::Key_Minus, {}, 189},
      // The keypad's keys are their own, and its arrows the arrows.
      {Qt::Key_0, Qt::KeypadModifier, 96},
      {Qt::Key_9, Qt::KeypadModifier, 105},
      {Qt::Key_Minus, Qt::KeypadModifier, 109},
      {Qt::Key_Period, Qt::KeypadModifier, 110},
      {Qt::Key_Home, Qt::KeypadModifier, 36},
      {0x0416, {}, std::nullopt},  // a Cyrillic letter: no key of a US keyboard
      {Qt::Key_VolumeUp, {}, 175},
      {Qt::Key_MediaTogglePlayPause, {}, 179},
      {0, {}, std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(VirtualKeyCode(row.key, row.modifiers), row.code) << std::hex << row.key;
  }
  // By the place on the keyboard, as Linux numbers the keys: the US key there, or none.
  const std::pair<quint32, std::int16_t> places[] = {
      {24, 81}, {33, 80},  {38, 65},  {46, 76}, {52, 90}, {58, 77},      {10, 49},
      {19, 48}, {47, 186}, {94, 226}, {0, 0},   {23, 0},  {59 + 200, 0},
  };
  for (const auto& [scanCode, code] : places) {
    EXPECT_EQ(VirtualKeyCodeAt(scanCode), code) << scanCode;
  }
}

TEST_F(QtControlHostTest, AHeldKeyRepeatsItsPressAndIsReleasedOnce) {
  first.setFocus();
  Clear();
  // As a platform delivers a held key: the repeats come in pairs of a made-up release and a
  // press, both marked as repeats.
  const auto send = [&](QEvent::Type type, bool repeat) {
    QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), repeat);
    QApplication::sendEvent(&first, &event);
  };
  send(QEvent::KeyPress, false);
  send(QEvent::KeyRelease, true);
  send(QEvent::KeyPress, true);
  send(QEvent::KeyRelease, true);
  send(QEvent::KeyPress, true);
  send(QEvent::KeyRelease, false);
  EXPECT_EQ(firstInput.log, (Log{"KeyDown 32 0", "KeyDown 32 0", "KeyDown 32 0", "KeyUp 32 0"}));
}

TEST_F(QtControlHostTest, FocusComesAndGoes) {
  // The window gave the first control the focus when it became active.
  ASSERT_TRUE(first.hasFocus());
  second.setFocus();
  first.setFocus();
  EXPECT_EQ(firstInput.log, (Log{"FocusOut", "FocusIn"}));
  EXPECT_EQ(secondInput.log, (Log{"FocusIn", "FocusOut"}));
}

TEST_F(QtControlHostTest, TheTimerTicksEveryTenMillisecondsWhileItIsOnEvenWhenDisabled) {
  auto* timer = first.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 10);
  EXPECT_FALSE(first.TimerEnabled());

  first.SetTimerEnabled(true);
  EXPECT_TRUE(first.TimerEnabled());
  Tick(first);
  first.SetEnabled(false);
  Tick(first);
  // Switching it on again while it runs changes nothing.
  first.SetTimerEnabled(true);
  EXPECT_TRUE(first.TimerEnabled());
  first.SetTimerEnabled(false);
  EXPECT_FALSE(first.TimerEnabled());
  EXPECT_EQ(firstInput.log, (Log{"Timer", "Timer"}));
  EXPECT_FALSE(second.TimerEnabled());
}

TEST_F(QtControlHostTest, TheCaptureTakesEveryMoveUntilItsHolderLetsItGo) {
  PointerAway();
  first.SetCapture();
  EXPECT_EQ(QWidget::mouseGrabber(), &first);
  MoveTo(second, QPoint(10, 10));
  EXPECT_EQ(firstInput.log, Log{"MouseMove 0 0 110 10"});
  EXPECT_EQ(secondInput.log, Log{});

  // Another control's release leaves the capture where it is.
  second.ReleaseCapture();
  EXPECT_EQ(QWidget::mouseGrabber(), &first);
  first.ReleaseCapture();
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  MoveTo(second, QPoint(12, 10));
  EXPECT_EQ(secondInput.log, Log{"MouseMove 0 0 12 10"});
}

TEST_F(QtControlHostTest, AModalWindowOrDisablingTakesTheCaptureAway) {
  // Held on, the capture would keep the pointer from the dialog that a click opened.
  first.SetCapture();
  ASSERT_EQ(QWidget::mouseGrabber(), &first);
  QDialog dialog(&window);
  bool ran = false;
  QTimer::singleShot(0, &dialog, [&] {
    ran = true;
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    first.SetCapture();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    dialog.reject();
  });
  dialog.exec();
  EXPECT_TRUE(ran);
  first.SetCapture();
  EXPECT_EQ(QWidget::mouseGrabber(), &first);

  first.SetEnabled(false);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  first.SetCapture();
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

  first.SetEnabled(true);
  first.SetCapture();
  window.setEnabled(false);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(QtControlHostTest, TheWindowUnderThePointerIsTheWidgetAtTheCursor) {
  EXPECT_NE(first.WindowHandle(), second.WindowHandle());
  QCursor::setPos(first.mapToGlobal(QPoint(40, 15)));
  EXPECT_EQ(first.WindowUnderPointer(), first.WindowHandle());
  QCursor::setPos(second.mapToGlobal(QPoint(40, 15)));
  EXPECT_EQ(first.WindowUnderPointer(), second.WindowHandle());
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
  first.SetAccessKey(u'o');
  EXPECT_EQ(first.AccessKeySequence(), QKeySequence(Qt::ALT | Qt::Key_O));
  second.setFocus();
  Clear();
  QTest::keyClick(&second, Qt::Key_O, Qt::AltModifier);
  EXPECT_EQ(firstInput.log, Log{"AccessKey"});
  // The key that the access key took is still released, as the platform releases it.
  EXPECT_EQ(secondInput.log, (Log{"KeyDown 18 4", "KeyUp 79 4", "KeyUp 18 0"}));

  // A key of another script, kept in its lower case as the control hands it over.
  first.SetAccessKey(first.LowerCase(u'Ж'));
  Clear();
  QTest::sendKeyEvent(QTest::Click, &second, static_cast<Qt::Key>(u'Ж'), QStringLiteral("ж"),
                      Qt::AltModifier);
  EXPECT_EQ(firstInput.log, Log{"AccessKey"});

  // Without a key, Alt and the letter are keys like any other, for the control with the focus.
  first.SetAccessKey(std::nullopt);
  EXPECT_TRUE(first.AccessKeySequence().isEmpty());
  Clear();
  QTest::keyClick(&second, Qt::Key_O, Qt::AltModifier);
  EXPECT_EQ(firstInput.log, Log{});
  EXPECT_EQ(secondInput.log, (Log{"KeyDown 18 4", "KeyDown 79 4", "KeyUp 79 4", "KeyUp 18 0"}));
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
  std::u16string caption = u"&Open && close";
  first.SetCaptionSource([&caption] { return caption; });
  first.SetAccessKey(u'o');
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&first);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->role(), QAccessible::Button);
  EXPECT_EQ(face->text(QAccessible::Name), "Open & close");
  caption = u"Sa&ve";
  EXPECT_EQ(face->text(QAccessible::Name), "Save");
  EXPECT_EQ(face->text(QAccessible::Accelerator),
            QKeySequence(Qt::ALT | Qt::Key_O).toString(QKeySequence::NativeText));

  QAccessibleActionInterface* actions = face->actionInterface();
  ASSERT_NE(actions, nullptr);
  const QString press = QAccessibleActionInterface::pressAction();
  EXPECT_TRUE(actions->actionNames().contains(press));
  actions->doAction(press);
  EXPECT_EQ(firstInput.log, Log{"AccessKey"});

  first.SetEnabled(false);
  EXPECT_TRUE(face->state().disabled);
  actions->doAction(press);
  EXPECT_EQ(firstInput.log, Log{"AccessKey"});
  first.SetCaptionSource({});
  EXPECT_EQ(face->text(QAccessible::Name), "");
}

TEST(WithoutAccessMarks, DropsTheMarksAndKeepsDoubledAmpersands) {
  EXPECT_EQ(WithoutAccessMarks("&Open"), "Open");
  EXPECT_EQ(WithoutAccessMarks("Save &as"), "Save as");
  EXPECT_EQ(WithoutAccessMarks("A && B"), "A & B");
  EXPECT_EQ(WithoutAccessMarks("&&&x"), "&x");
  EXPECT_EQ(WithoutAccessMarks("end&"), "end");
  EXPECT_EQ(WithoutAccessMarks(""), "");
}

// Every event that the button raises, in order, one line each.
struct EventLog final : XpBEvents {
  void Click() override { log.push_back("Click"); }
  void KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) override {
    log.push_back("KeyDown " + std::to_string(KeyCode) + " " + std::to_string(Shift));
  }
  void KeyUp(std::int16_t& KeyCode, std::int16_t& Shift) override {
    log.push_back("KeyUp " + std::to_string(KeyCode) + " " + std::to_string(Shift));
  }
  void MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override {
    log.push_back("MouseDown " + std::to_string(Button) + " " + std::to_string(Shift) + " " +
                  Whole(X) + " " + Whole(Y));
  }
  void MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override {
    log.push_back("MouseUp " + std::to_string(Button) + " " + std::to_string(Shift) + " " +
                  Whole(X) + " " + Whole(Y));
  }
  void MouseIn(std::int16_t&) override { log.push_back("MouseIn"); }
  void MouseOut(std::int16_t&) override { log.push_back("MouseOut"); }
  Log log;
};

// The button in a shown, active window, hosted as the program hosts it.
class HostedButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 60);
    widget.setGeometry(10, 10, 80, 30);
    widget.SetInput(&button);
    button.LoadFromStore(PropertyStore());
    button.SetCaption(u"&Open");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    events.log.clear();
  }
  void TearDown() override { widget.SetInput(nullptr); }
  // Puts the pointer at `at` in `target`, where the button looks for it, and delivers the move
  // at once, as a display server's own move would arrive only later.
  void PointerTo(QWidget& target, QPoint at) {
    QCursor::setPos(target.mapToGlobal(at));
    QTest::mouseMove(window.windowHandle(), target.mapTo(&window, at));
  }

  EventLog events;
  const ClassicColors colors{};
  FixedTextEngine text;
  QWidget window;
  QtControlWidget widget{QStringLiteral("Command1"), colors, text, &window};
  XpB button{widget, events};
  const QPoint centre{40, 15};
};

TEST_F(HostedButtonTest, AClickTheSpaceBarAndTheAccessKeyEachClickTheButton) {
  // The click rule asks where the pointer is, and QTest's clicks do not move it.
  QCursor::setPos(widget.mapToGlobal(centre));
  QTest::mouseClick(&widget, Qt::LeftButton, {}, centre);
  EXPECT_EQ(events.log, (Log{"MouseDown 1 0 40 15", "Click", "MouseUp 1 0 40 15"}));
  EXPECT_TRUE(widget.hasFocus());

  events.log.clear();
  QTest::keyClick(&widget, Qt::Key_Space);
  EXPECT_EQ(events.log, (Log{"KeyDown 32 0", "Click", "MouseUp 1 0 0 0", "KeyUp 32 0"}));

  // Pressed on the window, as a user presses it with the focus anywhere in it.
  events.log.clear();
  QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
  EXPECT_EQ(events.log, Log{"Click"});

  events.log.clear();
  button.SetEnabledCtrl(false);
  QTest::mouseClick(&widget, Qt::LeftButton, {}, centre);
  QTest::keyClick(&widget, Qt::Key_Space);
  QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
  EXPECT_EQ(events.log, Log{});
}

TEST_F(HostedButtonTest, TheHoverBeginsAndEndsWithThePointerAndHoldsTheCaptureMeanwhile) {
  // A move over the button switches its timer on; the tick that finds the pointer there
  // begins the hover and takes the capture. The pointer comes from elsewhere: Qt reports no
  // move to where it already is.
  PointerTo(window, QPoint(150, 50));
  PointerTo(widget, centre);
  EXPECT_TRUE(widget.TimerEnabled());
  Tick(widget);
  EXPECT_EQ(button.IsOver(), 1);
  EXPECT_EQ(QWidget::mouseGrabber(), &widget);

  // Away from the button, the next tick ends it and lets the capture go.
  PointerTo(window, QPoint(150, 50));
  Tick(widget);
  EXPECT_EQ(events.log, (Log{"MouseIn", "MouseOut"}));
  EXPECT_EQ(button.IsOver(), 0);
  EXPECT_FALSE(widget.TimerEnabled());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

}  // namespace
}  // namespace brackwater
