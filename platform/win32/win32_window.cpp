#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include <stdexcept>

#include "platform/gui/text_fit.h"
#include "platform/win32/win32_control_window.h"
#include "platform/win32/win32_picture.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_procedure.h"

namespace brackwater {
namespace {

constexpr wchar_t kClassName[] = L"BrackwaterWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// The window was laid out for the dialog font, 8 points: 11 pixels at 96 dots per inch. Where
// the system's dialog font runs wider than the one it was laid out for, smaller sizes down to 8
// pixels are tried.
constexpr int kDesignedFontHeight = 11;
constexpr int kSmallestFontHeight = 8;

void RegisterClassOnce(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

HFONT DialogFont(int height) {
  LOGFONTW font{};
  font.lfHeight = -height;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  // The system's alias for the dialog font of the running version of Windows.
  wcscpy_s(font.lfFaceName, L"MS Shell Dlg");
  return ::CreateFontIndirectW(&font);
}

int TextWidth(HDC dc, std::u16string_view text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()),
                          static_cast<int>(text.size()), &size);
  return size.cx;
}

// What an opaque label shows of its text in the font selected into `dc`.
std::u16string ShownIn(HDC dc, const std::u16string& text, const RECT& place) {
  return ShortenToWidth(text, place.right - place.left,
                        [dc](std::u16string_view run) { return TextWidth(dc, run); });
}

}  // namespace

Win32Window::Win32Window(const std::u16string& caption, SIZE clientSize,
                         const Win32Bitmap* background, HICON icon, HICON smallIcon)
    : font_(DialogFont(kDesignedFontHeight)), background_(background) {
  RegisterClassOnce(&WindowProcedure<Win32Window>);
  RECT frame{0, 0, clientSize.cx, clientSize.cy};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  hwnd_ = ::CreateWindowExW(0, kClassName, Wide(caption).c_str(), kStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                            nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) throw std::runtime_error("the window could not be created");
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (icon != nullptr) ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  if (smallIcon != nullptr) {
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  }
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&classes);
  toolTips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
}

Win32Window::~Win32Window() {
  closing_ = true;
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(hwnd_);
  ::DeleteObject(font_);
}

void Win32Window::AddLabel(std::u16string name, const RECT& place, std::u16string text,
                           std::optional<Rgb> background) {
  labels_.push_back({std::move(name), place, text, background, text, {}});
  if (background && toolTips_ != nullptr) {
    // The status line's tooltip, empty while its whole text shows.
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = labels_.size();
    tool.rect = place;
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  FitFont();
  UpdateToolTips();
  ::InvalidateRect(hwnd_, &place, FALSE);
}

void Win32Window::FitFont() {
  const int sizes = kDesignedFontHeight - kSmallestFontHeight + 1;
  std::vector<TextInWidth> texts;
  for (const Label& label : labels_) {
    texts.push_back({label.designed, static_cast<int>(label.place.right - label.place.left)});
  }
  const HDC dc = ::GetDC(hwnd_);
  const std::size_t chosen = FirstFontThatFits(
      static_cast<std::size_t>(sizes), texts, [dc](std::size_t size, std::u16string_view text) {
        const HFONT font = DialogFont(kDesignedFontHeight - static_cast<int>(size));
        const HGDIOBJ old = ::SelectObject(dc, font);
        const int width = TextWidth(dc, text);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
        return width;
      });
  ::ReleaseDC(hwnd_, dc);
  LOGFONTW current{};
  ::GetObjectW(font_, sizeof(current), &current);
  const int height = kDesignedFontHeight - static_cast<int>(chosen);
  if (current.lfHeight != -height) SetFont(DialogFont(height));
}

void Win32Window::SetFont(HFONT font) {
  const HFONT old = font_;
  font_ = font;
  for (HWND control : controls_) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  UpdateToolTips();
  ::InvalidateRect(hwnd_, nullptr, FALSE);
  // Last: the controls drew with it until they took the new one.
  ::DeleteObject(old);
}

void Win32Window::UpdateToolTips() {
  if (toolTips_ == nullptr) return;
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    Label& label = labels_[i];
    if (!label.background) continue;
    const std::u16string shown = LabelShown(label.name);
    label.toolTip = shown == label.text ? std::u16string() : label.text;
    std::wstring tip = Wide(label.toolTip);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = hwnd_;
    tool.uId = i + 1;
    tool.lpszText = tip.data();
    ::SendMessageW(toolTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

const Win32Window::Label& Win32Window::FindLabel(std::u16string_view name) const {
  for (const Label& label : labels_) {
    if (label.name == name) return label;
  }
  throw std::invalid_argument("the window has no such label");
}

void Win32Window::SetLabelText(std::u16string_view name, std::u16string text) {
  auto& label = const_cast<Label&>(FindLabel(name));
  const RECT before = LabelPlace(name);
  label.text = std::move(text);
  UpdateToolTips();
  const RECT after = LabelPlace(name);
  ::InvalidateRect(hwnd_, &before, FALSE);
  ::InvalidateRect(hwnd_, &after, FALSE);
  // The status shows at once, before a long step ends.
  ::UpdateWindow(hwnd_);
}

const std::u16string& Win32Window::LabelText(std::u16string_view name) const {
  return FindLabel(name).text;
}

std::u16string Win32Window::LabelShown(std::u16string_view name) const {
  const Label& label = FindLabel(name);
  if (!label.background) return label.text;
  const HDC dc = ::GetDC(hwnd_);
  const HGDIOBJ old = ::SelectObject(dc, font_);
  std::u16string shown = ShownIn(dc, label.text, label.place);
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd_, dc);
  return shown;
}

const std::u16string& Win32Window::LabelToolTip(std::u16string_view name) const {
  return FindLabel(name).toolTip;
}

RECT Win32Window::LabelPlace(std::u16string_view name) const {
  const Label& label = FindLabel(name);
  RECT place = label.place;
  if (label.background) return place;
  // A transparent label is as wide as its one line of text, whatever the font makes of it.
  const HDC dc = ::GetDC(hwnd_);
  const HGDIOBJ old = ::SelectObject(dc, font_);
  place.right = place.left + TextWidth(dc, label.text);
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd_, dc);
  return place;
}

void Win32Window::Place(HWND control, const RECT& place) {
  ::SetParent(control, hwnd_);
  controls_.push_back(control);
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  ::SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(control, SW_SHOWNA);
}

void Win32Window::SetTabOrder(const std::vector<HWND>& controls) {
  tabOrder_ = controls;
  // The dialog manager walks the children in their z-order.
  HWND after = HWND_TOP;
  for (HWND control : controls) {
    ::SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = control;
  }
}

void Win32Window::Show(int how) {
  RECT frame{};
  ::GetWindowRect(hwnd_, &frame);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  ::SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(hwnd_, how);
  ::UpdateWindow(hwnd_);
}

bool Win32Window::PreTranslate(MSG& message) {
  // Alt with a letter: the control whose caption marks it clicks, wherever the focus is.
  if (message.message == WM_SYSCHAR && (message.hwnd == hwnd_ || ::IsChild(hwnd_, message.hwnd))) {
    for (HWND control : tabOrder_) {
      Win32ControlWindow* window = Win32ControlWindow::FromHandle(control);
      if (window == nullptr || !window->AccessKey()) continue;
      if (*window->AccessKey() == window->LowerCase(static_cast<char16_t>(message.wParam))) {
        window->PressAccessKey();
        return true;
      }
    }
  }
  return ::IsDialogMessageW(hwnd_, &message) != FALSE;
}

int Win32Window::RunMessageLoop() {
  MSG message;
  for (;;) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got < 0) return 1;
    if (PreTranslate(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void Win32Window::Paint(HDC dc) const {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  if (background_ != nullptr) {
    // Larger than the client area: its right and bottom edges are cut off, never scaled.
    const HDC source = ::CreateCompatibleDC(dc);
    const HGDIOBJ old = ::SelectObject(source, background_->Handle());
    ::BitBlt(dc, 0, 0, background_->Width(), background_->Height(), source, 0, 0, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
  } else {
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
  }
  const HGDIOBJ oldFont = ::SelectObject(dc, font_);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  for (const Label& label : labels_) {
    RECT place = LabelPlace(label.name);
    if (label.background) {
      const HBRUSH brush = ::CreateSolidBrush(*label.background);
      ::FillRect(dc, &place, brush);
      ::DeleteObject(brush);
    }
    const std::wstring text = Wide(label.background ? ShownIn(dc, label.text, place) : label.text);
    // One line, every character as it is (a path's "&" is no access key), centred in the
    // label's height as the Qt host's labels show it.
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place,
                DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  ::SelectObject(dc, oldFont);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the background picture covers the client area
    case WM_ACTIVATE:
      // The focus goes back to the control that had it when the window was left.
      if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus_ = ::GetFocus();
      } else {
        HWND focus = lastFocus_ != nullptr && ::IsChild(hwnd_, lastFocus_) ? lastFocus_ : nullptr;
        if (focus == nullptr) {
          for (HWND control : tabOrder_) {
            if (::IsWindowEnabled(control) && ::IsWindowVisible(control)) {
              focus = control;
              break;
            }
          }
        }
        if (focus != nullptr) ::SetFocus(focus);
      }
      return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      // Only top-level windows hear of the desktop's changes; the controls take them up too.
      for (HWND control : tabOrder_) ::SendMessageW(control, message, wParam, lParam);
      ::InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
      // A modal dialog disables its owner. A control of the window that holds the capture
      // would keep the pointer from the very dialog that its click opened.
      if (wParam == FALSE && ::GetCapture() != nullptr && ::IsChild(hwnd_, ::GetCapture())) {
        ::ReleaseCapture();
      }
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_DESTROY:
      if (!closing_) ::PostQuitMessage(0);
      return 0;
    default:
      if (PaintMessage(hwnd_, message, wParam, [this](HDC dc) { Paint(dc); })) return 0;
      return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void ShowWin32Message(HWND owner, const std::u16string& text, const std::u16string& title,
                      MessageIcon icon) {
  ::MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(),
                MB_OK | (icon == MessageIcon::kInformation ? MB_ICONINFORMATION : MB_ICONWARNING));
}

}  // namespace brackwater
