#include "notes_export/window/window_builder.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include "platform/gui/units.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

// The workflow's controls, by the names the design data gives them.
constexpr std::u16string_view kStatusLabel = u"Label1";
constexpr std::u16string_view kOpenButton = u"Command1";
constexpr std::u16string_view kSaveButton = u"Command2";
constexpr std::u16string_view kDialog = u"CD";

// Which step of the workflow each button's Click runs.
struct ClickStep {
  std::u16string_view button;
  void (Main::*step)();
};
constexpr ClickStep kClickSteps[] = {
    {kOpenButton, &Main::Command1_Click},
    {kSaveButton, &Main::Command2_Click},
};

Rect PixelsOf(const ControlPlace& place) {
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

// A control that the workflow needs, found among those of its kind.
void Require(const std::vector<std::u16string>& names, std::u16string_view name,
             std::string_view kind) {
  if (std::ranges::find(names, name) == names.end()) {
    throw DesignDataError(0,
                          "the main window has no " + std::string(kind) + " " + Utf16ToUtf8(name));
  }
}

}  // namespace

// The status line of the workflow is the window's label of that name.
class MainWindow::Status final : public MainHost {
 public:
  explicit Status(WindowHost& host) : host_(host) {}
  std::int32_t WindowHandle() const override { return host_.WindowHandle(); }
  void SetLabel1(const std::u16string& caption) override {
    host_.SetLabelText(kStatusLabel, caption);
  }
  void ShowMessage(const std::u16string& text, const std::u16string& title,
                   MessageIcon icon) override {
    host_.ShowMessage(text, title, icon);
  }

 private:
  WindowHost& host_;
};

// One button: its window, the control, and the step its Click runs.
struct MainWindow::ButtonControl final : XpBEvents {
  ButtonControl(std::u16string buttonName, ControlWindow& buttonWindow)
      : name(std::move(buttonName)), window(buttonWindow), control(buttonWindow, *this) {}
  void Click() override {
    if (click) click();
  }

  std::u16string name;
  ControlWindow& window;
  std::function<void()> click;
  XpB control;
};

MainWindow::MainWindow(const DesignData& design, WindowHost& host, FilePicker& picker,
                       MainServices services)
    : dialog_(picker) {
  const PropertyStore& settings = design.settings;
  host.MakeWindow(Text(settings, u"Caption"), TwipsToPixels(Number(settings, u"ClientWidth", 0)),
                  TwipsToPixels(Number(settings, u"ClientHeight", 0)));

  std::vector<std::u16string> names;
  std::vector<std::pair<std::int32_t, ControlWindow*>> tabOrder;
  for (const DesignControl& control : design.controls) {
    if (std::ranges::find(names, control.name) != names.end()) {
      throw DesignDataError(
          0, "two controls of the main window are named " + Utf16ToUtf8(control.name));
    }
    names.push_back(control.name);
    const Rect place = PixelsOf(control.place);
    if (control.kind == u"Label") {
      std::optional<Rgb> background;
      if (Number(control.settings, u"BackStyle", 1) != 0) {
        background = static_cast<Rgb>(Number(control.settings, u"BackColor", 0xC0C0C0));
      }
      host.AddLabel(control.name, place, Text(control.settings, u"Caption"), background);
      labels_.push_back(control.name);
    } else if (control.kind == u"Brackwater.XpB") {
      ControlWindow& window = host.AddControlWindow(control.name, place);
      ButtonControl& button =
          *buttons_.emplace_back(std::make_unique<ButtonControl>(control.name, window));
      window.SetInput(&button.control);
      window.SetCaptionSource([&xpb = button.control] { return xpb.Caption(); });
      button.control.LoadFromStore(control.settings);
      tabOrder.emplace_back(control.place.tabIndex, &window);
    } else if (control.kind == u"CommonDialog") {
      // The control's whole face is its picture, and it keeps the picture's size.
      const auto& face = CommonDialog::kImage1Pixels;
      host.AddDialogControlFace(
          control.name, {place.left, place.top, place.left + face.width, place.top + face.height});
      dialogs_.push_back(control.name);
    } else {
      throw DesignDataError(0, "no such kind of control: " + Utf16ToUtf8(control.kind));
    }
  }
  std::ranges::stable_sort(tabOrder, {}, [](const auto& entry) { return entry.first; });
  std::vector<ControlWindow*> order;
  for (const auto& entry : tabOrder) order.push_back(entry.second);
  host.SetTabOrder(order);

  Require(labels_, kStatusLabel, "label");
  Require(dialogs_, kDialog, "dialog control");
  status_ = std::make_unique<Status>(host);
  main_ = std::make_unique<Main>(*status_, dialog_, Button(kOpenButton), Button(kSaveButton),
                                 std::move(services));
  for (const ClickStep& wiring : kClickSteps) {
    FindButton(wiring.button).click = [this, step = wiring.step] { (main_.get()->*step)(); };
  }
}

MainWindow::~MainWindow() {
  // The buttons hear that they are going while their windows still stand; the windows, which
  // are the host's and may outlive them, then forget them.
  for (auto& button : buttons_) {
    button->control.OnTerminate();
    button->window.SetInput(nullptr);
    button->window.SetCaptionSource(nullptr);
  }
}

XpB& MainWindow::Button(std::u16string_view name) { return FindButton(name).control; }

MainWindow::ButtonControl& MainWindow::FindButton(std::u16string_view name) {
  for (auto& button : buttons_) {
    if (button->name == name) return *button;
  }
  throw DesignDataError(0, "the main window has no button " + Utf16ToUtf8(name));
}

}  // namespace brackwater
