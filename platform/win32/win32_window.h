#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/device_context.h"
#include "platform/gui/window_host.h"
#include "platform/win32/win32_api.h"

namespace brackwater {

class Win32Bitmap;

// A program's top-level window on Windows: a caption, a fixed single border, a close box but
// no minimise or maximise box, centred on the screen, with a background picture drawn unscaled
// from the top-left corner of its client area, its labels drawn on it, and its controls as
// child windows at fixed pixel positions. Its font, which its labels and controls use, is the
// dialog font at the largest size in which every label's text fits its designed width.
class Win32Window {
 public:
  // `background` must outlive the window; the icons are the system's to free.
  Win32Window(const std::u16string& caption, SIZE clientSize, const Win32Bitmap* background,
              HICON icon, HICON smallIcon);
  ~Win32Window();
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  HWND Hwnd() const { return hwnd_; }
  // The dialog font that the window's labels and controls use.
  HFONT Font() const { return font_; }
  // Takes `font` over as the window's font, and hands it to the controls.
  void SetFont(HFONT font);

  // A one-line label at its designed place, drawn on the window as the window's own:
  // transparent over the background, or opaque in `background`. An opaque label shows a text
  // wider than itself shortened in the middle, with the whole text as its tooltip.
  void AddLabel(std::u16string name, const RECT& place, std::u16string text,
                std::optional<Rgb> background);
  void SetLabelText(std::u16string_view name, std::u16string text);
  const std::u16string& LabelText(std::u16string_view name) const;
  // What the label shows of its text, and its tooltip (empty for none).
  std::u16string LabelShown(std::u16string_view name) const;
  const std::u16string& LabelToolTip(std::u16string_view name) const;
  // A label's place: a transparent one as wide as its text.
  RECT LabelPlace(std::u16string_view name) const;

  // Puts a child window at its place and gives it the window's font.
  void Place(HWND control, const RECT& place);
  // The order in which Tab walks the controls; the first takes the focus when the window does.
  void SetTabOrder(const std::vector<HWND>& controls);

  // Shows the window in the centre of the screen.
  void Show(int how);
  // Runs the program's messages until the window is closed. Tab and the access keys with Alt
  // work here, not in the dialogs of other loops.
  int RunMessageLoop();
  // Handles what the window's keyboard needs before a message is dispatched: true when the
  // message was used up. For loops of the program's own.
  bool PreTranslate(MSG& message);

 private:
  struct Label {
    std::u16string name;
    RECT place;
    std::u16string text;
    std::optional<Rgb> background;
    // The design's text, which the window's font must fit.
    std::u16string designed;
    std::u16string toolTip;
  };

  template <typename Window>
  friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc) const;
  const Label& FindLabel(std::u16string_view name) const;
  // Takes the largest dialog font in which every label's designed text fits its width.
  void FitFont();
  // Gives each opaque label the tooltip that its text and the font call for.
  void UpdateToolTips();

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  // The controls placed on the window, which take its font.
  std::vector<HWND> controls_;
  HWND toolTips_ = nullptr;
  const Win32Bitmap* background_;
  std::vector<Label> labels_;
  std::vector<HWND> tabOrder_;
  HWND lastFocus_ = nullptr;
  bool closing_ = false;
};

// The modal message box: one OK button; returns when the user has closed it.
void ShowWin32Message(HWND owner, const std::u16string& text, const std::u16string& title,
                      MessageIcon icon);

}  // namespace brackwater
