// The button's input: per scenario, one ordered log of what it raised, asked of its host and
// showed, run over every style. A repaint logs the look each style showed, as one letter per
// style in the order classic, flat, flat default, XP face, and a style of no look of its own
// (7): N no border, R raised, S sunken, F XP face, f focus ring, h hover ring, P XP pressed,
// D XP disabled.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/xp_button/fake_host.h"

namespace brackwater {
namespace {

using testing::EventLog;
using testing::Rig;

constexpr std::int32_t kStyles[] = {XpBStyle::kClassic, XpBStyle::kFlat, XpBStyle::kFlatDefault,
                                    XpBStyle::kXPFace, 7};

// The logs of all styles as one: the same entries, each repaint with every style's letter.
EventLog Merged(const std::function<void(Rig&)>& run) {
  EventLog merged;
  for (const std::int32_t style : kStyles) {
    Rig t;
    t.b->SetButtonStyle(style);
    t.log.clear();
    run(t);
    if (merged.empty()) {
      merged = t.log;
      continue;
    }
    if (merged.size() != t.log.size()) return {"style " + std::to_string(style) + " differs"};
    for (std::size_t i = 0; i < merged.size(); ++i) {
      const bool show = merged[i].starts_with("Show ") && t.log[i].starts_with("Show ");
      if (show) {
        merged[i] += t.log[i].substr(5);
      } else if (merged[i] != t.log[i]) {
        merged[i] += " / " + t.log[i];
      }
    }
  }
  return merged;
}

void Hover(Rig& t) {
  t.host.pointerOver = true;
  t.b->OnMouseMove(0, 0, 5, 5);
  t.b->OnTimer();
}

EventLog Join(std::initializer_list<EventLog> parts) {
  EventLog all;
  for (const EventLog& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const EventLog kHoverBegins = {"Release", "MouseIn 0", "Show RRRhR", "Capture"};
const EventLog kHoverEnds = {"Timer off", "MouseOut 0", "Show RNNFN", "Release"};

TEST(XpBInput, ScenariosRaiseAndShowInOrderInEveryStyle) {
  const struct {
    const char* name;
    std::function<void(Rig&)> run;
    EventLog expected;
  } scenarios[] = {
      {"a click, then the next tick begins the hover again",
       [](Rig& t) {
         Hover(t);
         t.b->OnMouseDown(1, 0, 5, 5);
         t.b->OnMouseUp(1, 0, 5, 5);
         t.b->OnTimer();
       },
       Join({{"Timer on"},
             kHoverBegins,
             {"Show SSSPS", "MouseDown 1 0 5 5", "Show RNNFN", "Click", "MouseUp 1 0 5 5"},
             kHoverBegins})},
      {"dragged off, kept away, released away: no click",
       [](Rig& t) {
         Hover(t);
         t.b->OnMouseDown(1, 0, 5, 5);
         t.host.pointerOver = false;
         t.b->OnTimer();
         t.b->OnTimer();
         t.b->OnMouseUp(1, 0, 90, 5);
       },
       Join({{"Timer on"},
             kHoverBegins,
             {"Show SSSPS", "MouseDown 1 0 5 5"},
             kHoverEnds,
             {"Show RNNFN", "MouseUp 1 0 90 5"}})},
      {"dragged off and back: a hover without the pressed look, and the click",
       [](Rig& t) {
         Hover(t);
         t.b->OnMouseDown(1, 0, 5, 5);
         t.host.pointerOver = false;
         t.b->OnTimer();
         Hover(t);
         t.b->OnMouseUp(1, 0, 5, 5);
       },
       Join({{"Timer on"},
             kHoverBegins,
             {"Show SSSPS", "MouseDown 1 0 5 5"},
             kHoverEnds,
             {"Timer on"},
             kHoverBegins,
             {"Show RNNFN", "Click", "MouseUp 1 0 5 5"}})},
      {"right, middle, and left pressed but right released",
       [](Rig& t) {
         t.b->OnMouseDown(2, 3, 2.5F, 4);
         t.b->OnMouseUp(2, 3, 2.5F, 4);
         t.b->OnMouseDown(4, 0, 1, 1);
         t.b->OnMouseUp(4, 0, 1, 1);
         t.b->OnMouseDown(1, 0, 1, 1);
         t.b->OnMouseUp(2, 0, 1, 1);
         t.b->OnFocusIn();
       },
       {"MouseDown 2 3 2 4", "MouseUp 2 3 2 4", "MouseDown 4 0 1 1", "MouseUp 4 0 1 1",
        "Show SSSPS", "MouseDown 1 0 1 1", "MouseUp 2 0 1 1", "Show RNNfN"}},
      {"space bar over the button, held, released",
       [](Rig& t) {
         t.b->OnKeyDown(32, 0);
         t.b->OnKeyDown(32, 0);
         t.b->OnKeyUp(32, 0);
       },
       {"Show SSSPS", "KeyDown 32 0", "KeyDown 32 0", "Show RNNFN", "Show RNNFN", "Click",
        "MouseUp 1 0 0 0", "KeyUp 32 0"}},
      {"space bar with the pointer away, and Enter",
       [](Rig& t) {
         t.host.pointerOver = false;
         t.b->OnKeyDown(32, 1);
         t.b->OnKeyUp(32, 1);
         t.b->OnKeyDown(13, 0);
         t.b->OnKeyUp(13, 0);
       },
       {"Show SSSPS", "KeyDown 32 1", "Show RNNFN", "Show RNNFN", "MouseUp 1 1 0 0", "KeyUp 32 1",
        "KeyDown 13 0", "KeyUp 13 0"}},
      {"tabbed into while hovered: the hover goes, and comes back at the next tick",
       [](Rig& t) {
         Hover(t);
         t.b->OnFocusIn();
         t.b->OnTimer();
       },
       Join({{"Timer on"}, kHoverBegins, {"Show RNNfN"}, kHoverBegins})},
      {"a move, then the pointer gone before the first tick",
       [](Rig& t) {
         t.b->OnMouseMove(0, 0, 5, 5);
         t.host.pointerOver = false;
         t.b->OnTimer();
       },
       {"Timer on"}},
      {"focus lost ends the press",
       [](Rig& t) {
         t.b->OnFocusIn();
         t.b->OnKeyDown(32, 0);
         t.b->OnFocusOut();
       },
       {"Show RNNfN", "Show SSSPS", "KeyDown 32 0", "Show RNNFN"}},
      {"switched off while focused, pressed and hovered, then on: at rest",
       [](Rig& t) {
         t.b->OnFocusIn();
         Hover(t);
         t.b->OnMouseDown(1, 0, 1, 1);
         t.b->SetEnabledCtrl(false);
         t.b->OnAccessKey();
         t.b->SetEnabledCtrl(true);
         t.b->OnAccessKey();
       },
       Join({{"Show RNNfN", "Timer on"},
             kHoverBegins,
             {"Show SSSPS", "MouseDown 1 0 1 1", "Show RNNDN", "Show RNNFN", "Click"}})},
      {"an ambient change takes up the new size",
       [](Rig& t) {
         t.host.width = 5;
         t.b->OnAmbientChanged(u"Font");
       },
       {"Size 10x25", "Show RNNFN", "Show RNNFN"}},
      {"a click handler destroys the button: nothing of it runs after",
       [](Rig& t) {
         t.events.onClick = [&t] { t.owner.reset(); };
         t.b->OnMouseDown(1, 0, 1, 1);
         t.b->OnMouseUp(1, 0, 1, 1);
       },
       {"Show SSSPS", "MouseDown 1 0 1 1", "Show RNNFN", "Click"}},
  };
  for (const auto& scenario : scenarios) {
    EXPECT_EQ(Merged(scenario.run), scenario.expected) << scenario.name;
  }
}

}  // namespace
}  // namespace brackwater
