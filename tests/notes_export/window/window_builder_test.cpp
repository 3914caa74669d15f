#include "notes_export/window/window_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <stdexcept>

#include "platform/gui/headless_host.h"
#include "tests/support/fixed_text_engine.h"
#include "tests/support/main_window_design.h"
#include "tests/support/scripted_picker.h"

namespace brackwater {
namespace {

using testing::MainWindowDesign;
using testing::ScriptedPicker;

// A window host without a desktop: its control windows are headless, and it keeps the tab order
// by the controls' names.
class HeadlessWindowHost final : public WindowHost {
 public:
  void MakeWindow(const std::u16string&, int, int) override {}
  void AddLabel(const std::u16string&, const Rect&, const std::u16string&,
                std::optional<Rgb>) override {}
  void SetLabelText(std::u16string_view, const std::u16string&) override {}
  ControlWindow& AddControlWindow(const std::u16string& name, const Rect& place) override {
    return controls.emplace_back(name, colors, text, place.right - place.left,
                                 place.bottom - place.top);
  }
  void AddDialogControlFace(const std::u16string&, const Rect&) override {}
  void SetTabOrder(const std::vector<ControlWindow*>& order) override {
    for (ControlWindow* control : order) tabOrder.push_back(control->InstanceName());
  }
  std::int32_t WindowHandle() const override { return 1; }
  void ShowMessage(const std::u16string&, const std::u16string&, MessageIcon) override {}

  HeadlessControlHost& Control(std::u16string_view name) {
    return *std::ranges::find(controls, name, &HeadlessControlHost::InstanceName);
  }

  ClassicColors colors;
  FixedTextEngine text;
  std::list<HeadlessControlHost> controls;
  std::vector<std::u16string> tabOrder;
};

void Click(HeadlessControlHost& window, XpB& button) {
  window.SetPointerOver(true);
  button.OnMouseDown(MouseButton::kLeft, 0, 5, 5);
  button.OnMouseUp(MouseButton::kLeft, 0, 5, 5);
}

MainServices Services() {
  return {[] {
            return DateTimeText{u"d", u"t"};
          },
          [] { return std::u16string(u"/home"); }, [](const std::u16string&) { return false; },
          "UTF-8"};
}

TEST(MainWindowBuilder, WiresEachButtonByItsNameWhereverItsBlockStands) {
  DesignData design = MainWindowDesign();
  // The blocks in the reverse order: the buttons swap places in the data.
  std::ranges::reverse(design.controls);
  HeadlessWindowHost host;
  ScriptedPicker picker;
  MainWindow window(design, host, picker, Services());
  EXPECT_EQ(host.tabOrder, (std::vector<std::u16string>{u"Command1", u"Command2"}));

  picker.answers.push_back(std::nullopt);
  Click(host.Control(u"Command1"), window.Button(u"Command1"));
  ASSERT_EQ(picker.requests.size(), 1u);
  EXPECT_EQ(picker.requests[0].first, "open");
}

TEST(MainWindowBuilder, RefusesDesignDataThatDoesNotDescribeTheWindow) {
  struct Case {
    const char* change;
    std::function<void(DesignData&)> apply;
    const char* named;
  };
  const auto rename = [](std::u16string_view from, std::u16string to) {
    return [from, to](DesignData& design) {
      std::ranges::find(design.controls, from, &DesignControl::name)->name = to;
    };
  };
  const Case cases[] = {
      {"the Open button renamed", rename(u"Command1", u"Command9"), "button Command1"},
      {"the status label renamed", rename(u"Label1", u"Label9"), "label Label1"},
      {"the dialog control renamed", rename(u"CD", u"CD2"), "dialog control CD"},
      {"two controls of one name", rename(u"Label2", u"Label3"), "named Label3"},
      {"a kind unknown here", [](DesignData& design) { design.controls[0].kind = u"VB.TextBox"; },
       "VB.TextBox"},
  };
  for (const Case& c : cases) {
    DesignData design = MainWindowDesign();
    c.apply(design);
    HeadlessWindowHost host;
    ScriptedPicker picker;
    try {
      MainWindow window(design, host, picker, Services());
      ADD_FAILURE() << c.change << ": built";
    } catch (const DesignDataError& error) {
      EXPECT_NE(std::string(error.what()).find(c.named), std::string::npos)
          << c.change << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace brackwater
