#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/gui/device_context.h"

namespace brackwater {

// A control's retained image: rows top to bottom, pixels 0xFFRRGGBB.
struct ImageView {
  int width = 0;
  int height = 0;
  std::span<const std::uint32_t> pixels;
};

// The bits of the masks that the control's mouse and key handlers take: which mouse buttons
// (Button), and which modifier keys are held (Shift).
struct MouseButton {
  static constexpr std::int16_t kLeft = 1;
  static constexpr std::int16_t kRight = 2;
  static constexpr std::int16_t kMiddle = 4;
};
struct ModifierKey {
  static constexpr std::int16_t kShift = 1;
  static constexpr std::int16_t kCtrl = 2;
  static constexpr std::int16_t kAlt = 4;
};

// What an owner-drawn control needs from the window that it lives in. One implementation per
// toolkit, and a fake in the tests.
class ControlHost {
 public:
  virtual ~ControlHost() = default;

  // The window's own enabled switch. A disabled window gets no mouse or keyboard input.
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // The control's own window, and the window under the pointer's current position: equal
  // handles mean the pointer is over the control. 0 is no window the control could know.
  virtual std::int32_t WindowHandle() const = 0;
  virtual std::int32_t WindowUnderPointer() const = 0;
  // The name under which the host knows this instance, such as "Command1".
  virtual std::u16string InstanceName() const = 0;
  virtual int PixelsPerInchX() const = 0;
  virtual int PixelsPerInchY() const = 0;
  // The drawing surface's size in pixels.
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  // Resizes the drawing surface. The control hears of it through its resize handler, which may
  // run before this returns.
  virtual void SetClientSize(int width, int height) = 0;
  // The colours and the font that the control paints with.
  virtual const SystemColors& Colors() const = 0;
  virtual TextEngine& Text() = 0;
  // The key that, pressed with Alt, clicks the control; none takes an earlier one away.
  virtual void SetAccessKey(std::optional<char16_t> key) = 0;
  // The control's one timer, ticking every kTimerMilliseconds while it is enabled.
  static constexpr int kTimerMilliseconds = 10;
  virtual void SetTimerEnabled(bool enabled) = 0;
  // The mouse capture: while the control holds it, every mouse movement comes to it.
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  // The control's retained image has changed and should be shown; the host keeps what it needs.
  virtual void ShowSurface(const ImageView& image) = 0;
  // Runs the events that are waiting, once, in the middle of a repaint. Their handlers may
  // repaint the control, resize it or destroy it before this returns.
  virtual void Yield() = 0;
  // The platform's lower case of one character, as access keys are kept. Hosts whose toolkit
  // knows more than ASCII override this.
  virtual char16_t LowerCase(char16_t c) const {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
  }
};

// What the window feeds into a control: the platform's notifications, as the control's own
// handlers take them. Button: a MouseButton mask; Shift: a ModifierKey mask; X, Y in pixels of
// the control. A disabled control gets none of the input.
class ControlInput {
 public:
  virtual ~ControlInput() = default;
  virtual void OnMouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) = 0;
  virtual void OnMouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) = 0;
  virtual void OnResize() = 0;
  // Any mouse movement over the control, or anywhere while it holds the capture.
  virtual void OnMouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) = 0;
  // KeyCode: the virtual-key code (32 the space bar, 13 Enter, 65..90 letters); a key held
  // down repeats OnKeyDown.
  virtual void OnKeyDown(std::int16_t KeyCode, std::int16_t Shift) = 0;
  virtual void OnKeyUp(std::int16_t KeyCode, std::int16_t Shift) = 0;
  virtual void OnFocusIn() = 0;
  virtual void OnFocusOut() = 0;
  // The control's access key, pressed with Alt.
  virtual void OnAccessKey() = 0;
  // A tick of the control's timer (see ControlHost::SetTimerEnabled).
  virtual void OnTimer() = 0;
  // The container changed one of the properties its controls take up, such as the font.
  virtual void OnAmbientChanged(std::u16string_view name) = 0;
  // The control is going away.
  virtual void OnTerminate() = 0;
};

}  // namespace brackwater
