#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/window_host.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text_engine.h"

namespace brackwater {

// The child window of one owner-drawn control: it shows the control's retained image on
// WM_PAINT and turns the window's messages into the control's handlers. A disabled window gets
// no mouse or keyboard input from the system; focus and access keys are held back here too.
// The timer ticks whatever the enabled state.
class Win32ControlWindow final : public ControlWindow {
 public:
  // A child of `parent`, hidden until the parent shows it. `colors` must outlive the window.
  Win32ControlWindow(HWND parent, std::u16string instanceName, const SystemColors& colors);
  ~Win32ControlWindow() override;
  Win32ControlWindow(const Win32ControlWindow&) = delete;
  Win32ControlWindow& operator=(const Win32ControlWindow&) = delete;

  HWND Hwnd() const { return hwnd_; }
  // The control must outlive the window or be taken away; so must the caption's source.
  void SetInput(ControlInput* input) override { input_ = input; }
  // The window's text is the caption, "&" marks and all, which screen readers read as a push
  // button's name and its access key.
  void SetCaptionSource(std::function<std::u16string()> caption) override;
  std::optional<char16_t> AccessKey() const { return accessKey_; }
  // The access key pressed with Alt somewhere in the window: clicks while the window is enabled.
  void PressAccessKey();
  bool TimerEnabled() const { return timerEnabled_; }
  // The control's image as it was last handed over, which WM_PAINT shows.
  const Image& Shown() const { return shown_; }
  // The window that a handle names, when it is a control's window.
  static Win32ControlWindow* FromHandle(HWND hwnd);

  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  std::int32_t WindowHandle() const override;
  std::int32_t WindowUnderPointer() const override;
  std::u16string InstanceName() const override { return instanceName_; }
  int PixelsPerInchX() const override;
  int PixelsPerInchY() const override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientSize(int width, int height) override;
  const SystemColors& Colors() const override { return colors_; }
  TextEngine& Text() override { return text_; }
  void SetAccessKey(std::optional<char16_t> key) override;
  void SetTimerEnabled(bool enabled) override;
  void SetCapture() override;
  void ReleaseCapture() override;
  void ShowSurface(const ImageView& image) override;
  void Yield() override;
  char16_t LowerCase(char16_t c) const override;

 private:
  template <typename Window>
  friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // The control, when there is one and the window takes input.
  ControlInput* Input() const;
  void Paint(HDC dc) const;

  HWND hwnd_ = nullptr;
  std::u16string instanceName_;
  const SystemColors& colors_;
  Win32TextEngine text_;
  ControlInput* input_ = nullptr;
  std::optional<char16_t> accessKey_;
  std::function<std::u16string()> caption_;
  bool timerEnabled_ = false;
  Image shown_;
};

// What the mouse and key messages carry, as the control's handlers take it. Button: 1 left,
// 2 right, 4 middle; Shift: 1 Shift, 2 Ctrl, 4 Alt (Alt is not in the message: `altDown`).
std::int16_t ButtonMask(WPARAM keys);
std::int16_t ShiftMask(WPARAM keys, bool altDown);
// The Shift mask of the keys held now, for keyboard messages, which do not carry it.
std::int16_t KeyboardShiftMask();

}  // namespace brackwater
