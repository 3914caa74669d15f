#include "platform/win32/win32_control_window.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>

#include "platform/gui/failure_report.h"
#include "platform/win32/win32_picture.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_procedure.h"

namespace brackwater {
namespace {

constexpr wchar_t kClassName[] = L"BrackwaterControl";
constexpr UINT_PTR kTimerId = 1;

void RegisterClassOnce() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    // No CS_DBLCLKS: two quick clicks are two clicks of the button.
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

}  // namespace

std::int16_t ButtonMask(WPARAM keys) {
  std::int16_t mask = 0;
  if (keys & MK_LBUTTON) mask |= MouseButton::kLeft;
  if (keys & MK_RBUTTON) mask |= MouseButton::kRight;
  if (keys & MK_MBUTTON) mask |= MouseButton::kMiddle;
  return mask;
}

std::int16_t ShiftMask(WPARAM keys, bool altDown) {
  std::int16_t mask = 0;
  if (keys & MK_SHIFT) mask |= ModifierKey::kShift;
  if (keys & MK_CONTROL) mask |= ModifierKey::kCtrl;
  if (altDown) mask |= ModifierKey::kAlt;
  return mask;
}

std::int16_t KeyboardShiftMask() {
  WPARAM keys = 0;
  if (::GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
  if (::GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
  return ShiftMask(keys, ::GetKeyState(VK_MENU) < 0);
}

Win32ControlWindow::Win32ControlWindow(HWND parent, std::u16string instanceName,
                                       const SystemColors& colors)
    : instanceName_(std::move(instanceName)), colors_(colors) {
  RegisterClassOnce();
  // A push button is a tab stop.
  hwnd_ = ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                            parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) throw std::runtime_error("the control's window could not be created");
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(&WindowProcedure<Win32ControlWindow>));
  text_.SetFont(reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)));
}

Win32ControlWindow::~Win32ControlWindow() {
  input_ = nullptr;
  ReleaseCapture();
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(hwnd_);
}

Win32ControlWindow* Win32ControlWindow::FromHandle(HWND hwnd) {
  if (::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) !=
      reinterpret_cast<LONG_PTR>(&WindowProcedure<Win32ControlWindow>)) {
    return nullptr;
  }
  return reinterpret_cast<Win32ControlWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

ControlInput* Win32ControlWindow::Input() const {
  return ::IsWindowEnabled(hwnd_) ? input_ : nullptr;
}

bool Win32ControlWindow::Enabled() const {
  // The window's own switch: WS_DISABLED of this window, not of its parent.
  return ::IsWindowEnabled(hwnd_) != FALSE;
}

void Win32ControlWindow::SetEnabled(bool enabled) {
  // A window being disabled loses the capture, as a disabled window gets no mouse input.
  if (!enabled) ReleaseCapture();
  ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

std::int32_t Win32ControlWindow::WindowHandle() const {
  // Window handles are 32-bit values on 64-bit Windows too, so that 32-bit programs share them.
  return static_cast<std::int32_t>(HandleToLong(hwnd_));
}

std::int32_t Win32ControlWindow::WindowUnderPointer() const {
  POINT at{};
  if (!::GetCursorPos(&at)) return 0;
  return static_cast<std::int32_t>(HandleToLong(::WindowFromPoint(at)));
}

int Win32ControlWindow::PixelsPerInchX() const {
  const HDC dc = ::GetDC(hwnd_);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
  ::ReleaseDC(hwnd_, dc);
  return dpi;
}

int Win32ControlWindow::PixelsPerInchY() const {
  const HDC dc = ::GetDC(hwnd_);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(hwnd_, dc);
  return dpi;
}

int Win32ControlWindow::ClientWidth() const {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  return client.right;
}

int Win32ControlWindow::ClientHeight() const {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  return client.bottom;
}

void Win32ControlWindow::SetClientSize(int width, int height) {
  // The window has no border: its size is its client area's. WM_SIZE comes before this returns.
  ::SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32ControlWindow::SetCaptionSource(std::function<std::u16string()> caption) {
  caption_ = std::move(caption);
  ::SetWindowTextW(hwnd_, caption_ ? Wide(caption_()).c_str() : L"");
}

void Win32ControlWindow::SetAccessKey(std::optional<char16_t> key) {
  accessKey_ = key;
  // The control hands its key over whenever its caption changes.
  if (caption_) ::SetWindowTextW(hwnd_, Wide(caption_()).c_str());
}

void Win32ControlWindow::SetTimerEnabled(bool enabled) {
  // Every mouse move switches the timer on: setting a running timer again would put its ticks
  // off for as long as the pointer moves.
  if (enabled == timerEnabled_) return;
  timerEnabled_ = enabled;
  if (enabled) {
    ::SetTimer(hwnd_, kTimerId, ControlHost::kTimerMilliseconds, nullptr);
  } else {
    ::KillTimer(hwnd_, kTimerId);
  }
}

void Win32ControlWindow::SetCapture() { ::SetCapture(hwnd_); }

void Win32ControlWindow::ReleaseCapture() {
  // Only a capture of this window's own: another window's capture is its owner's to end.
  if (::GetCapture() == hwnd_) ::ReleaseCapture();
}

void Win32ControlWindow::PressAccessKey() {
  if (ControlInput* input = Input()) GuardedCall<HWND>(hwnd_, [input] { input->OnAccessKey(); });
}

void Win32ControlWindow::ShowSurface(const ImageView& image) {
  // A copy: the control may repaint into its image before WM_PAINT comes round.
  shown_.width = image.width;
  shown_.height = image.height;
  shown_.pixels.assign(image.pixels.begin(), image.pixels.end());
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32ControlWindow::Yield() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The loop that ends the program must still see it.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

char16_t Win32ControlWindow::LowerCase(char16_t c) const {
  return static_cast<char16_t>(reinterpret_cast<std::uintptr_t>(
      ::CharLowerW(reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(c)))));
}

void Win32ControlWindow::Paint(HDC dc) const {
  if (shown_.pixels.empty()) return;
  const BITMAPINFO info = TopDownBitmapInfo(shown_.width, shown_.height);
  ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(shown_.width), static_cast<DWORD>(shown_.height),
                      0, 0, 0, static_cast<UINT>(shown_.height), shown_.pixels.data(), &info,
                      DIB_RGB_COLORS);
}

LRESULT Win32ControlWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  ControlInput* input = Input();
  const auto x = static_cast<float>(GET_X_LPARAM(lParam));
  const auto y = static_cast<float>(GET_Y_LPARAM(lParam));
  const auto mouse = [&](auto handler, std::int16_t button) {
    if (input != nullptr) {
      (input->*handler)(button, ShiftMask(wParam, ::GetKeyState(VK_MENU) < 0), x, y);
    }
    return 0;
  };
  switch (message) {
    case WM_LBUTTONDOWN:
      // A push button takes the focus when it is clicked, before it hears of the press.
      if (input != nullptr && ::GetFocus() != hwnd_) ::SetFocus(hwnd_);
      return mouse(&ControlInput::OnMouseDown, MouseButton::kLeft);
    case WM_RBUTTONDOWN:
      return mouse(&ControlInput::OnMouseDown, MouseButton::kRight);
    case WM_MBUTTONDOWN:
      return mouse(&ControlInput::OnMouseDown, MouseButton::kMiddle);
    case WM_LBUTTONUP:
      return mouse(&ControlInput::OnMouseUp, MouseButton::kLeft);
    case WM_RBUTTONUP:
      return mouse(&ControlInput::OnMouseUp, MouseButton::kRight);
    case WM_MBUTTONUP:
      return mouse(&ControlInput::OnMouseUp, MouseButton::kMiddle);
    case WM_MOUSEMOVE:
      // A move counts with no button held, too.
      return mouse(&ControlInput::OnMouseMove, ButtonMask(wParam));
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // A held key comes again and again, each time as a press of its own.
      if (input != nullptr)
        input->OnKeyDown(static_cast<std::int16_t>(wParam), KeyboardShiftMask());
      // Alt's own keys (Alt+F4, Alt+Space) stay the system's.
      return message == WM_SYSKEYDOWN ? ::DefWindowProcW(hwnd_, message, wParam, lParam) : 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (input != nullptr) input->OnKeyUp(static_cast<std::int16_t>(wParam), KeyboardShiftMask());
      return message == WM_SYSKEYUP ? ::DefWindowProcW(hwnd_, message, wParam, lParam) : 0;
    case WM_GETDLGCODE: {
      // Every key is the control's but Tab, which moves the focus on through the window.
      const auto* pending = reinterpret_cast<const MSG*>(lParam);
      if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_TAB) {
        return 0;
      }
      return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    }
    case WM_SETFOCUS:
      if (input != nullptr) input->OnFocusIn();
      return 0;
    case WM_KILLFOCUS:
      if (input != nullptr) input->OnFocusOut();
      return 0;
    case WM_TIMER:
      if (wParam == kTimerId && input_ != nullptr) input_->OnTimer();
      return 0;
    case WM_SIZE:
      if (input_ != nullptr) input_->OnResize();
      return 0;
    case WM_SETFONT:
      text_.SetFont(reinterpret_cast<HFONT>(wParam));
      if (input_ != nullptr) input_->OnAmbientChanged(u"Font");
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(text_.Font());
    case WM_SETTINGCHANGE:
      if (input_ != nullptr) input_->OnAmbientChanged(u"Font");
      return 0;
    case WM_SYSCOLORCHANGE:
      if (input_ != nullptr) input_->OnAmbientChanged(u"Palette");
      return 0;
    case WM_ENABLE:
      if (wParam == FALSE) ReleaseCapture();
      return 0;
    case WM_ERASEBKGND:
      // The image covers the whole window.
      return 1;
    default:
      if (PaintMessage(hwnd_, message, wParam, [this](HDC dc) { Paint(dc); })) return 0;
      return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

}  // namespace brackwater
