#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/control_host.h"
#include "platform/gui/device_context.h"

namespace brackwater {

enum class MessageIcon { kInformation, kWarning };

// A window that the window host made for one owner-drawn control: the control draws into it,
// and the container connects the control's handlers to it.
class ControlWindow : public ControlHost {
 public:
  // The control that takes this window's input; none takes it away, as a container does before
  // the control goes.
  virtual void SetInput(ControlInput* input) = 0;
  // Where assistive technology reads the control's name from, "&" marks and all; none takes it
  // away.
  virtual void SetCaptionSource(std::function<std::u16string()> caption) = 0;
};

// What a program's one top-level window needs from the desktop: the window itself, its labels,
// a window for each owner-drawn control, the face of the dialog control, and the message box.
// Places are in pixels of the client area. The window's background picture and icons, and the
// dialog control's picture, are the host's, from the program's resources.
class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Makes the top-level window, before anything is put on it; it shows when the program shows
  // it, centred on the screen, at a fixed size with a close box only.
  virtual void MakeWindow(const std::u16string& caption, int clientWidth, int clientHeight) = 0;
  // A one-line label: transparent over the background (then as wide as its text), or opaque in
  // `background`.
  virtual void AddLabel(const std::u16string& name, const Rect& place, const std::u16string& text,
                        std::optional<Rgb> background) = 0;
  // Shows the new text at once, before a long step ends.
  virtual void SetLabelText(std::u16string_view name, const std::u16string& text) = 0;
  // A window for an owner-drawn control, which the host keeps as long as the top-level window.
  virtual ControlWindow& AddControlWindow(const std::u16string& name, const Rect& place) = 0;
  // The dialog control's face: its picture, unscaled, in a place that keeps the given size.
  virtual void AddDialogControlFace(const std::u16string& name, const Rect& place) = 0;
  // The order in which Tab walks the control windows; the first takes the focus first.
  virtual void SetTabOrder(const std::vector<ControlWindow*>& order) = 0;

  // The handle that dialogs take to name the window as their owner.
  virtual std::int32_t WindowHandle() const = 0;
  // Modal, with one OK button; returns when the user has closed it.
  virtual void ShowMessage(const std::u16string& text, const std::u16string& title,
                           MessageIcon icon) = 0;
};

}  // namespace brackwater
