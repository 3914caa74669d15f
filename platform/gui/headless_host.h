#pragma once

#include <functional>
#include <string>

#include "platform/gui/control_host.h"
#include "platform/gui/device_context.h"
#include "platform/gui/window_host.h"

namespace brackwater {

// A control without a window: it draws into its retained image and nothing shows it. For
// rendering a control to a picture, measuring it, and the tests of what hosts it.
class HeadlessControlHost final : public ControlWindow {
 public:
  HeadlessControlHost(std::u16string instanceName, const SystemColors& colors, TextEngine& text,
                      int width, int height)
      : instanceName_(std::move(instanceName)),
        colors_(colors),
        text_(text),
        width_(width),
        height_(height) {}

  // The control that hears of size changes, as a window would tell it.
  void SetInput(ControlInput* input) override { input_ = input; }
  // Nothing reads the name of a control that no one sees.
  void SetCaptionSource(std::function<std::u16string()>) override {}
  // The pointer over the control or elsewhere, for the click rule.
  void SetPointerOver(bool over) { pointerOver_ = over; }
  // Whether the control shows, and whether a modal dialog blocks the window it would be in: as
  // for a disabled control, the pointer is never over a hidden or a blocked one.
  void SetShown(bool shown) { shown_ = shown; }
  void SetBlocked(bool blocked) { blocked_ = blocked; }
  // What a yield to the event loop runs, if anything.
  void SetYield(std::function<void()> yield) { yield_ = std::move(yield); }

  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  std::int32_t WindowHandle() const override { return kHandle; }
  std::int32_t WindowUnderPointer() const override {
    return pointerOver_ && enabled_ && shown_ && !blocked_ ? kHandle : 0;
  }
  std::u16string InstanceName() const override { return instanceName_; }
  int PixelsPerInchX() const override { return 96; }
  int PixelsPerInchY() const override { return 96; }
  int ClientWidth() const override { return width_; }
  int ClientHeight() const override { return height_; }
  void SetClientSize(int width, int height) override {
    width_ = width;
    height_ = height;
    if (input_ != nullptr) input_->OnResize();
  }
  const SystemColors& Colors() const override { return colors_; }
  TextEngine& Text() override { return text_; }
  void SetAccessKey(std::optional<char16_t>) override {}
  void SetTimerEnabled(bool enabled) override { timerEnabled_ = enabled; }
  bool TimerEnabled() const { return timerEnabled_; }
  void SetCapture() override {}
  void ReleaseCapture() override {}
  void ShowSurface(const ImageView&) override {}
  void Yield() override {
    if (yield_) yield_();
  }

 private:
  static constexpr std::int32_t kHandle = 1;

  std::u16string instanceName_;
  const SystemColors& colors_;
  TextEngine& text_;
  ControlInput* input_ = nullptr;
  std::function<void()> yield_;
  bool enabled_ = true;
  bool pointerOver_ = false;
  bool shown_ = true;
  bool blocked_ = false;
  bool timerEnabled_ = false;
  int width_;
  int height_;
};

}  // namespace brackwater
