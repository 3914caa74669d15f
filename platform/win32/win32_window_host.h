#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/window_host.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_control_window.h"
#include "platform/win32/win32_picture.h"
#include "platform/win32/win32_system_colors.h"
#include "platform/win32/win32_window.h"

namespace brackwater {

// The resources of the program's file that the window shows, by the names its resource
// script gives them.
struct Win32WindowResources {
  const wchar_t* background;  // RCDATA: the picture file
  int icon;                   // the window's icon, with its 16 and 32 pixel images
  int dialogControlIcon;
};

// The program's window on Windows, made as the window builder asks.
class Win32WindowHost final : public WindowHost {
 public:
  explicit Win32WindowHost(Win32WindowResources resources);
  ~Win32WindowHost() override;

  void MakeWindow(const std::u16string& caption, int clientWidth, int clientHeight) override;
  void AddLabel(const std::u16string& name, const Rect& place, const std::u16string& text,
                std::optional<Rgb> background) override;
  void SetLabelText(std::u16string_view name, const std::u16string& text) override;
  ControlWindow& AddControlWindow(const std::u16string& name, const Rect& place) override;
  void AddDialogControlFace(const std::u16string& name, const Rect& place) override;
  void SetTabOrder(const std::vector<ControlWindow*>& order) override;
  std::int32_t WindowHandle() const override;
  void ShowMessage(const std::u16string& text, const std::u16string& title,
                   MessageIcon icon) override;

  // What was made; std::logic_error for what was not.
  Win32Window& Window() const;
  Win32ControlWindow& Control(std::u16string_view name) const;
  // The dialog control's place on the window, which keeps whatever size it is given.
  HWND DialogControl() const { return dialogControl_; }

 private:
  Win32WindowResources resources_;
  Win32SystemColors colors_;
  std::unique_ptr<Win32Bitmap> background_;
  std::unique_ptr<Win32Window> window_;
  // After the window: they go first.
  std::vector<std::unique_ptr<Win32ControlWindow>> controls_;
  HWND dialogControl_ = nullptr;
};

}  // namespace brackwater
