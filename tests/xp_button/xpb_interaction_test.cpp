// The button's input: per scenario, one ordered log of what it raised, asked of its host and
// showed, run over every style. A repaint logs the look each style showed, as one letter per
// style in the order classic, flat, flat default, XP face, and a style of no look of its own
// (7): N no border, R raised, S sunken, F XP face, f focus ring, h hover ring, P XP pressed,
// D XP disabled.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "tests/xp_button/fake_host.h"

namespace brackwater {
namespace {

using testing::EventLog;
using testing::Rig;

constexpr std::int32_t kStyles[] = {XpBStyle::kClassic, XpBStyle::kFlat, XpBStyle::kFlatDefault,
                                    XpBStyle::kXPFace, 7};

// The steps a scenario is spelled in, a word each.
const std::map<std::string, std::function<void(Rig&)>, std::less<>> kSteps = {
    {"over", [](Rig& t) { t.host.pointerOver = true; }},
    {"away", [](Rig& t) { t.host.pointerOver = false; }},
    {"move", [](Rig& t) { t.b->OnMouseMove(0, 0, 5, 5); }},
    {"tick", [](Rig& t) { t.b->OnTimer(); }},
    {"down", [](Rig& t) { t.b->OnMouseDown(1, 0, 5, 5); }},
    {"up", [](Rig& t) { t.b->OnMouseUp(1, 0, 5, 5); }},
    {"right-down", [](Rig& t) { t.b->OnMouseDown(2, 3, 2.5F, 4); }},
    {"right-up", [](Rig& t) { t.b->OnMouseUp(2, 3, 2.5F, 4); }},
    {"middle-down", [](Rig& t) { t.b->OnMouseDown(4, 0, 5, 5); }},
    {"middle-up", [](Rig& t) { t.b->OnMouseUp(4, 0, 5, 5); }},
    {"space", [](Rig& t) { t.b->OnKeyDown(32, 0); }},
    {"space-up", [](Rig& t) { t.b->OnKeyUp(32, 0); }},
    {"shift-space", [](Rig& t) { t.b->OnKeyDown(32, 1); }},
    {"shift-space-up", [](Rig& t) { t.b->OnKeyUp(32, 1); }},
    {"enter", [](Rig& t) { t.b->OnKeyDown(13, 0); }},
    {"enter-up", [](Rig& t) { t.b->OnKeyUp(13, 0); }},
    {"focus", [](Rig& t) { t.b->OnFocusIn(); }},
    {"blur", [](Rig& t) { t.b->OnFocusOut(); }},
    {"access-key", [](Rig& t) { t.b->OnAccessKey(); }},
    {"switch-off", [](Rig& t) { t.b->SetEnabledCtrl(false); }},
    {"switch-on", [](Rig& t) { t.b->SetEnabledCtrl(true); }},
    // The window's own switch, from a store: the flags stay.
    {"load-off",
     [](Rig& t) {
       PropertyStore store;
       store.Set(u"ButtonStyle", t.b->ButtonStyle());
       store.Set(u"Enabled", false);
       t.b->LoadFromStore(store);
     }},
    {"narrow-font",
     [](Rig& t) {
       t.host.width = 5;
       t.b->OnAmbientChanged(u"Font");
     }},
    {"ring-colours",
     [](Rig& t) {
       t.b->SetXPColor_Pressed(0xFF);
       t.b->SetXPColor_Hover(0xFF);
       t.b->SetXPDefaultColors(true);
     }},
    {"set",
     [](Rig& t) {
       t.b->SetShowFocusRect(true);
       t.b->SetPicturePosition(-1);
       t.b->SetMaskColor(0xFF00FF);
       t.b->SetUseMaskColor(true);
       t.b->SetCaption(u"Go");
     }},
    {"click-destroys", [](Rig& t) { t.host.onClick = [&t] { t.owner.reset(); }; }},
};

// The logs of all styles as one: the same entries, each repaint with every style's letter.
EventLog Merged(std::string_view steps) {
  EventLog merged;
  for (const std::int32_t style : kStyles) {
    Rig t;
    t.b->SetButtonStyle(style);
    t.log.clear();
    for (std::size_t at = 0; at < steps.size();) {
      const std::size_t end = std::min(steps.find(' ', at), steps.size());
      const auto step = kSteps.find(steps.substr(at, end - at));
      if (step == kSteps.end()) return {"no step " + std::string(steps.substr(at, end - at))};
      step->second(t);
      at = end + 1;
    }
    if (merged.empty()) {
      merged = t.log;
      continue;
    }
    if (merged.size() != t.log.size()) return {"style " + std::to_string(style) + " differs"};
    for (std::size_t i = 0; i < merged.size(); ++i) {
      const bool show = merged[i].starts_with("Show ") && t.log[i].starts_with("Show ");
      merged[i] += show ? t.log[i].substr(5) : merged[i] == t.log[i] ? "" : " / " + t.log[i];
    }
  }
  return merged;
}

EventLog Join(std::initializer_list<EventLog> parts) {
  EventLog all;
  for (const EventLog& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const EventLog kHover = {"Timer on", "Release", "MouseIn 0", "Show RRRhR", "Capture"};
const EventLog kHoverAgain = {"Release", "MouseIn 0", "Show RRRhR", "Capture"};
const EventLog kHoverEnds = {"Timer off", "MouseOut 0", "Show RNNFN", "Release"};
const EventLog kPress = {"Show SSSPS", "MouseDown 1 0 5 5"};

TEST(XpBInput, ScenariosRaiseAndShowInOrderInEveryStyle) {
  const struct {
    const char* steps;
    EventLog expected;
  } scenarios[] = {
      // A click; the next tick begins the hover again.
      {"over move tick down up tick",
       Join({kHover, kPress, {"Show RNNFN", "Click", "MouseUp 1 0 5 5"}, kHoverAgain})},
      // Dragged off, kept away, released away: no click.
      {"over move tick down away tick tick up",
       Join({kHover, kPress, kHoverEnds, {"Show RNNFN", "MouseUp 1 0 5 5"}})},
      // Dragged off and back: a hover without the pressed look, and the click.
      {"over move tick down away tick over move tick up",
       Join({kHover, kPress, kHoverEnds, kHover, {"Show RNNFN", "Click", "MouseUp 1 0 5 5"}})},
      // The right and the middle button do not press; any release ends a press unseen.
      {"right-down right-up middle-down middle-up down right-up focus",
       Join({{"MouseDown 2 3 2 4", "MouseUp 2 3 2 4", "MouseDown 4 0 5 5", "MouseUp 4 0 5 5"},
             kPress,
             {"MouseUp 2 3 2 4", "Show RNNfN"}})},
      // The space bar held repeats only KeyDown, and clicks as the left button.
      {"space space space-up",
       {"Show SSSPS", "KeyDown 32 0", "KeyDown 32 0", "Show RNNFN", "Show RNNFN", "Click",
        "MouseUp 1 0 0 0", "KeyUp 32 0"}},
      {"away shift-space shift-space-up enter enter-up",
       {"Show SSSPS", "KeyDown 32 1", "Show RNNFN", "Show RNNFN", "MouseUp 1 1 0 0", "KeyUp 32 1",
        "KeyDown 13 0", "KeyUp 13 0"}},
      // Tabbed into while hovered: the hover goes, and comes back at the next tick.
      {"over move tick focus tick", Join({kHover, {"Show RNNfN"}, kHoverAgain})},
      {"move away tick", {"Timer on"}},
      {"focus space blur", {"Show RNNfN", "Show SSSPS", "KeyDown 32 0", "Show RNNFN"}},
      // Switched off while focused, pressed and hovered, then on: at rest.
      {"focus over move tick down switch-off access-key switch-on access-key",
       Join({{"Show RNNfN"}, kHover, kPress, {"Show RNNDN", "Show RNNFN", "Click"}})},
      {"down load-off", Join({kPress, {"Show SSSDS"}})},
      // The ring colours only store; the other setters repaint, each once.
      {"ring-colours", {}},
      {"set", EventLog(5, "Show RNNFN")},
      {"narrow-font", {"Size 10x25", "Show RNNFN", "Show RNNFN"}},
      // Nothing of the button runs after the handler that destroyed it.
      {"click-destroys down up", Join({kPress, {"Show RNNFN", "Click"}})},
  };
  for (const auto& scenario : scenarios) {
    EXPECT_EQ(Merged(scenario.steps), scenario.expected) << scenario.steps;
  }
}

}  // namespace
}  // namespace brackwater
