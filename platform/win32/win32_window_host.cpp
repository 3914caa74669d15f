#include "platform/win32/win32_window_host.h"

#include <stdexcept>

#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

RECT Win32Rect(const Rect& place) { return {place.left, place.top, place.right, place.bottom}; }

HICON Icon(int id, int size) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace

Win32WindowHost::Win32WindowHost(Win32WindowResources resources) : resources_(resources) {}

Win32WindowHost::~Win32WindowHost() = default;

void Win32WindowHost::MakeWindow(const std::u16string& caption, int clientWidth, int clientHeight) {
  const std::string_view picture = ResourceBytes(resources_.background, RT_RCDATA);
  if (!picture.empty()) background_ = std::make_unique<Win32Bitmap>(picture);
  window_ =
      std::make_unique<Win32Window>(caption, SIZE{clientWidth, clientHeight}, background_.get(),
                                    Icon(resources_.icon, 32), Icon(resources_.icon, 16));
}

void Win32WindowHost::AddLabel(const std::u16string& name, const Rect& place,
                               const std::u16string& text, std::optional<Rgb> background) {
  Window().AddLabel(name, Win32Rect(place), text, background);
}

void Win32WindowHost::SetLabelText(std::u16string_view name, const std::u16string& text) {
  Window().SetLabelText(name, text);
}

ControlWindow& Win32WindowHost::AddControlWindow(const std::u16string& name, const Rect& place) {
  Win32ControlWindow& control =
      *controls_.emplace_back(std::make_unique<Win32ControlWindow>(Window().Hwnd(), name, colors_));
  Window().Place(control.Hwnd(), Win32Rect(place));
  return control;
}

void Win32WindowHost::AddDialogControlFace(const std::u16string&, const Rect& place) {
  dialogControl_ =
      ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_ICON, 0, 0, 0, 0, Window().Hwnd(), nullptr,
                        ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(
      dialogControl_, STM_SETICON,
      reinterpret_cast<WPARAM>(Icon(resources_.dialogControlIcon, place.right - place.left)), 0);
  Window().Place(dialogControl_, Win32Rect(place));
}

void Win32WindowHost::SetTabOrder(const std::vector<ControlWindow*>& order) {
  std::vector<HWND> windows;
  for (ControlWindow* control : order) {
    const auto* own = dynamic_cast<const Win32ControlWindow*>(control);
    if (own == nullptr) throw std::logic_error("a control window of another host");
    windows.push_back(own->Hwnd());
  }
  Window().SetTabOrder(windows);
}

std::int32_t Win32WindowHost::WindowHandle() const {
  return static_cast<std::int32_t>(HandleToLong(Window().Hwnd()));
}

void Win32WindowHost::ShowMessage(const std::u16string& text, const std::u16string& title,
                                  MessageIcon icon) {
  ShowWin32Message(Window().Hwnd(), text, title, icon);
}

Win32Window& Win32WindowHost::Window() const {
  if (window_ == nullptr) throw std::logic_error("the window is not made yet");
  return *window_;
}

Win32ControlWindow& Win32WindowHost::Control(std::u16string_view name) const {
  for (const auto& control : controls_) {
    if (control->InstanceName() == name) return *control;
  }
  throw std::logic_error("the window has no control " + Utf16ToUtf8(name));
}

}  // namespace brackwater
