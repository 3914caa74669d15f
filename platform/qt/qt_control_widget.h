#pragma once

#include <QImage>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/gui/window_host.h"
#include "platform/qt/qt_text_engine.h"

class QShortcut;

namespace brackwater {

// The Qt window of one owner-drawn control: it shows the control's retained image and turns
// Qt's notifications into the control's handlers. A disabled widget passes on no mouse,
// keyboard, focus or access-key input; the timer ticks whatever the enabled state.
class QtControlWidget : public QWidget, public ControlWindow {
  Q_OBJECT

 public:
  // The control paints with `colors`, which must outlive the widget, and its caption in the
  // widget's font, which is its window's unless it is given one of its own.
  QtControlWidget(const QString& instanceName, const SystemColors& colors,
                  QWidget* parent = nullptr);
  // The same with text drawn by `text` whatever the font, as tests have it; it must outlive the
  // widget.
  QtControlWidget(const QString& instanceName, const SystemColors& colors, TextEngine& text,
                  QWidget* parent = nullptr);
  ~QtControlWidget() override;

  // The control must outlive the widget or be taken away; so must the caption's source.
  void SetInput(ControlInput* input) override { input_ = input; }
  void SetCaptionSource(std::function<std::u16string()> caption) override {
    caption_ = std::move(caption);
  }
  std::u16string Caption() const { return caption_ ? caption_() : std::u16string(); }
  // The key that the caption marks, as the control last handed it over, and the key sequence
  // that presses it.
  std::optional<char16_t> AccessKey() const { return accessKey_; }
  QKeySequence AccessKeySequence() const;
  // Whether the control's timer runs. The timer is the widget's child QTimer; its ticks go to
  // the control's OnTimer.
  bool TimerEnabled() const { return timer_->isActive(); }
  // The button pressed by other means than a key, such as assistive technology: it clicks as
  // the access key does, and only while the widget is enabled.
  void Press();

  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  std::int32_t WindowHandle() const override { return handle_; }
  std::int32_t WindowUnderPointer() const override;
  std::u16string InstanceName() const override { return instanceName_; }
  int PixelsPerInchX() const override { return logicalDpiX(); }
  int PixelsPerInchY() const override { return logicalDpiY(); }
  int ClientWidth() const override { return width(); }
  int ClientHeight() const override { return height(); }
  void SetClientSize(int width, int height) override;
  const SystemColors& Colors() const override { return colors_; }
  TextEngine& Text() override { return *text_; }
  void SetAccessKey(std::optional<char16_t> key) override;
  void SetTimerEnabled(bool enabled) override;
  // A hidden or disabled widget, or one whose window a modal window blocks, takes no mouse input
  // and so takes no capture either; becoming one of them lets the capture go, as a disabled
  // window loses it on the platform the control comes from. Otherwise the capture would keep the
  // pointer from the very dialog that a click opened.
  void SetCapture() override;
  void ReleaseCapture() override;
  void ShowSurface(const ImageView& image) override;
  void Yield() override;
  char16_t LowerCase(char16_t c) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // `text` or, when there is none, an engine of the widget's own in its font.
  QtControlWidget(const QString& instanceName, const SystemColors& colors, TextEngine* text,
                  QWidget* parent);

  using MouseHandler = void (ControlInput::*)(std::int16_t, std::int16_t, float, float);
  // Hands a mouse event to the control with the masks and position as it takes them; events
  // of buttons it does not know are dropped, unless `withoutButton` says none is needed.
  void DeliverMouse(MouseHandler handler, std::int16_t button, const QMouseEvent& event,
                    bool withoutButton = false);
  // The control, when there is one and the widget takes input.
  ControlInput* Input() const;
  // Runs one of the control's handlers: a failure in it is reported, never thrown through Qt's
  // event dispatch.
  template <typename Step>
  void Guarded(Step&& step);
  // Follows the window that the widget is in, to hear when a modal window blocks it.
  void WatchWindow();
  void SetBlocked(bool blocked);
  // Whether the pointer could click the widget where it is: the window-from-point rule leaves
  // out hidden and disabled windows and those that a modal window blocks.
  bool TakesPointer() const;

  std::u16string instanceName_;
  std::int32_t handle_;
  const SystemColors& colors_;
  // The caption's engine in the widget's font, when the widget draws in its own.
  std::unique_ptr<QtTextEngine> ownText_;
  TextEngine* text_;
  std::optional<char16_t> accessKey_;
  QShortcut* accessShortcut_ = nullptr;
  ControlInput* input_ = nullptr;
  std::function<std::u16string()> caption_;
  QTimer* timer_;
  QPointer<QWidget> watchedWindow_;
  bool blocked_ = false;
  QImage image_;
};

// The virtual-key code of a Qt key as a US keyboard has it: 32 the space bar, 13 Enter and
// Return, 27 Escape, 9 Tab, 8 Backspace, 48..57 digits, 65..90 letters, 112..135 F1..F24,
// 33..40 the page, end, home and arrow keys, 45 Insert, 46 Delete, 16..18 Shift, Ctrl and Alt,
// 96..111 the keypad's digits and operators, 186..222 the punctuation keys, 166..183 the
// browser, volume, media and launch keys. A shifted symbol gives the key it is on ("!" gives
// 49). nullopt for a key that has no code here (letters of other scripts).
std::optional<std::int16_t> VirtualKeyCode(int key, Qt::KeyboardModifiers modifiers);

// The virtual-key code of the key at a place of the keyboard, by its native scan code as Qt
// reports it on Linux (the evdev code plus 8): the code of the US key at that place, whatever
// the layout, as the platform names the keys of a Russian layout by the Latin letters on them.
// 0 for places with no key there.
std::int16_t VirtualKeyCodeAt(quint32 nativeScanCode);

}  // namespace brackwater
