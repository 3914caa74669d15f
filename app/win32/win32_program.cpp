#include "app/win32/win32_program.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "platform/gui/units.h"
#include "platform/system/text_codec.h"
#include "platform/win32/win32_failure.h"

namespace brackwater {
namespace {

// The names the program's resource script gives them.
constexpr int kWindowIcon = 1;
constexpr int kDialogControlIcon = 2;
constexpr wchar_t kDesignResource[] = L"MAIN_WINDOW_DESIGN";
constexpr wchar_t kBackgroundResource[] = L"BACKGROUND";

RECT PixelsOf(const ControlPlace& place) {
  const int left = TwipsToPixels(place.left);
  const int top = TwipsToPixels(place.top);
  return {left, top, left + TwipsToPixels(place.width), top + TwipsToPixels(place.height)};
}

std::u16string Text(const PropertyStore& settings, std::u16string_view key) {
  return ToText(settings.ReadValue(key, u""), key);
}

std::int32_t Number(const PropertyStore& settings, std::u16string_view key, std::int32_t orElse) {
  return ToInt32(settings.ReadValue(key, orElse), key);
}

HICON Icon(int id, int size) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, size, size, LR_SHARED));
}

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

}  // namespace

// Hands a button's Click on to the window's step.
struct Win32Program::ButtonParts {
  class ClickTo final : public XpBEvents {
   public:
    void Click() override {
      if (step) step();
    }
    std::function<void()> step;
  };

  ButtonParts(std::u16string instanceName, HWND parent, const SystemColors& colors)
      : name(std::move(instanceName)), window(parent, name, colors), control(window, events) {}

  std::u16string name;
  Win32ControlWindow window;
  ClickTo events;
  XpB control;
};

class Win32Program::Host final : public MainHost {
 public:
  explicit Host(Win32Window& window) : window_(window) {}
  std::int32_t WindowHandle() const override {
    return static_cast<std::int32_t>(HandleToLong(window_.Hwnd()));
  }
  void SetLabel1(const std::u16string& caption) override {
    window_.SetLabelText(u"Label1", caption);
  }
  void ShowMessage(const std::u16string& text, const std::u16string& title,
                   MessageIcon icon) override {
    ShowWin32Message(window_.Hwnd(), text, title,
                     icon == MessageIcon::kInformation ? Win32MessageIcon::kInformation
                                                       : Win32MessageIcon::kWarning);
  }

 private:
  Win32Window& window_;
};

Win32Program::Win32Program(const DesignData& design, FilePicker& picker, MainServices services)
    : dialog_(picker) {
  const PropertyStore& settings = design.settings;
  const std::string_view background = ResourceBytes(kBackgroundResource, RT_RCDATA);
  if (!background.empty()) background_ = std::make_unique<Win32Bitmap>(background);
  window_ = std::make_unique<Win32Window>(Text(settings, u"Caption"),
                                          SIZE{TwipsToPixels(Number(settings, u"ClientWidth", 0)),
                                               TwipsToPixels(Number(settings, u"ClientHeight", 0))},
                                          background_.get(), Icon(kWindowIcon, 32),
                                          Icon(kWindowIcon, 16));

  std::vector<std::pair<std::int32_t, HWND>> tabOrder;
  for (const DesignControl& control : design.controls) {
    const RECT place = PixelsOf(control.place);
    if (control.kind == u"Label") {
      std::optional<Rgb> labelBackground;
      if (Number(control.settings, u"BackStyle", 1) != 0) {
        labelBackground = static_cast<Rgb>(Number(control.settings, u"BackColor", 0xC0C0C0));
      }
      window_->AddLabel(control.name, place, Text(control.settings, u"Caption"), labelBackground);
    } else if (control.kind == u"Brackwater.XpB") {
      auto& button = *buttons_.emplace_back(
          std::make_unique<ButtonParts>(control.name, window_->Hwnd(), colors_));
      button.window.SetInput(&button.control);
      button.window.SetCaptionSource([&xpb = button.control] { return xpb.Caption(); });
      window_->Place(button.window.Hwnd(), place);
      button.control.LoadFromStore(control.settings);
      tabOrder.emplace_back(control.place.tabIndex, button.window.Hwnd());
    } else if (control.kind == u"CommonDialog") {
      // The control's whole face is its icon, and it keeps the icon's size.
      const auto& face = CommonDialog::kImage1Pixels;
      dialogControl_ =
          ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_ICON, 0, 0, 0, 0, window_->Hwnd(),
                            nullptr, ::GetModuleHandleW(nullptr), nullptr);
      ::SendMessageW(dialogControl_, STM_SETICON,
                     reinterpret_cast<WPARAM>(Icon(kDialogControlIcon, face.width)), 0);
      window_->Place(dialogControl_,
                     {place.left, place.top, place.left + face.width, place.top + face.height});
    } else {
      throw DesignDataError(0, "no such kind of control: " + Utf8(control.kind));
    }
  }
  std::sort(tabOrder.begin(), tabOrder.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<HWND> order;
  for (const auto& entry : tabOrder) order.push_back(entry.second);
  window_->SetTabOrder(order);

  host_ = std::make_unique<Host>(*window_);
  main_ = std::make_unique<Main>(*host_, dialog_, Button(u"Command1"), Button(u"Command2"),
                                 std::move(services));
  buttons_[0]->events.step = [this] { main_->Command1_Click(); };
  buttons_[1]->events.step = [this] { main_->Command2_Click(); };
}

Win32Program::~Win32Program() {
  // The buttons hear that they are going while their windows still stand.
  for (auto& button : buttons_) button->control.OnTerminate();
}

Win32Program::ButtonParts& Win32Program::Find(std::u16string_view name) {
  for (auto& button : buttons_) {
    if (button->name == name) return *button;
  }
  throw DesignDataError(0, "the main window has no button " + Utf8(name));
}

XpB& Win32Program::Button(std::u16string_view name) { return Find(name).control; }

Win32ControlWindow& Win32Program::ButtonWindow(std::u16string_view name) {
  return Find(name).window;
}

DesignData Win32MainWindowDesign() {
  const std::string_view bytes = ResourceBytes(kDesignResource, RT_RCDATA);
  if (bytes.empty()) {
    throw DesignDataError(0, "the program's resources lack the main window's design data");
  }
  return ParseDesignData(bytes);
}

}  // namespace brackwater
