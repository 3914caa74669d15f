// The button's input state machine: one ordered log per scenario of what it raised, repainted
// (with its pressed look) and asked of its host, the timer and capture included.

#include <gtest/gtest.h>

#include <functional>

#include "tests/xp_button/fake_host.h"

namespace brackwater {
namespace {

using testing::EventLog;
using testing::TestButton;

// The steps of a hover beginning and ending, as the log shows them.
const EventLog kHoverBegins = {"Release", "MouseIn 0", "Show down=0", "Capture"};
const EventLog kHoverEnds = {"Timer off", "MouseOut 0", "Show down=0", "Release"};

EventLog Join(std::initializer_list<EventLog> parts) {
  EventLog all;
  for (const EventLog& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct Scenario {
  const char* name;
  std::function<void(TestButton&)> run;
  EventLog expected;
};

void Hover(TestButton& t) {
  t.host.pointerOver = true;
  t.button.OnMouseMove(0, 0, 5, 5);
  t.button.OnTimer();
}

TEST(XpBInteraction, ScenariosRaiseAndPaintInOrder) {
  const Scenario scenarios[] = {
      {"a click, then the next tick begins the hover again",
       [](TestButton& t) {
         Hover(t);
         t.button.OnMouseDown(1, 0, 5, 5);
         t.button.OnMouseUp(1, 0, 5, 5);
         t.button.OnTimer();
       },
       Join({{"Timer on"},
             kHoverBegins,
             {"Show down=1", "MouseDown 1 0 5 5", "Show down=0", "Click", "MouseUp 1 0 5 5"},
             kHoverBegins})},
      {"dragged off, kept away, released away",
       [](TestButton& t) {
         Hover(t);
         t.button.OnMouseDown(1, 0, 5, 5);
         t.host.pointerOver = false;
         t.button.OnTimer();
         t.button.OnTimer();
         t.button.OnMouseUp(1, 0, 90, 5);
       },
       Join({{"Timer on"},
             kHoverBegins,
             {"Show down=1", "MouseDown 1 0 5 5"},
             kHoverEnds,
             {"Show down=0", "MouseUp 1 0 90 5"}})},
      {"dragged off and back: a new hover without the pressed look, and the click",
       [](TestButton& t) {
         Hover(t);
         t.button.OnMouseDown(1, 0, 5, 5);
         t.host.pointerOver = false;
         t.button.OnTimer();
         Hover(t);
         t.button.OnMouseUp(1, 0, 5, 5);
       },
       Join({{"Timer on"},
             kHoverBegins,
             {"Show down=1", "MouseDown 1 0 5 5"},
             kHoverEnds,
             {"Timer on"},
             kHoverBegins,
             {"Show down=0", "Click", "MouseUp 1 0 5 5"}})},
      {"space bar over the button",
       [](TestButton& t) {
         t.button.OnKeyDown(32, 0);
         t.button.OnKeyUp(32, 0);
       },
       {"Show down=1", "KeyDown 32 0", "Show down=0", "Show down=0", "Click", "MouseUp 1 0 0 0",
        "KeyUp 32 0"}},
      {"space bar with the pointer away",
       [](TestButton& t) {
         t.host.pointerOver = false;
         t.button.OnKeyDown(32, 1);
         t.button.OnKeyUp(32, 1);
       },
       {"Show down=1", "KeyDown 32 1", "Show down=0", "Show down=0", "MouseUp 1 1 0 0",
        "KeyUp 32 1"}},
      {"space bar held: repeats raise only KeyDown",
       [](TestButton& t) {
         t.button.OnKeyDown(32, 0);
         t.button.OnKeyDown(32, 0);
         t.button.OnKeyDown(32, 0);
       },
       {"Show down=1", "KeyDown 32 0", "KeyDown 32 0", "KeyDown 32 0"}},
      {"Enter does not click",
       [](TestButton& t) {
         t.button.OnKeyDown(13, 0);
         t.button.OnKeyUp(13, 0);
       },
       {"KeyDown 13 0", "KeyUp 13 0"}},
      {"tabbed into while hovered: the hover goes, and comes back at the next tick",
       [](TestButton& t) {
         Hover(t);
         t.button.OnFocusIn();
         t.button.OnTimer();
       },
       Join({{"Timer on"}, kHoverBegins, {"Show down=0"}, kHoverBegins})},
      {"a move, then the pointer gone before the first tick",
       [](TestButton& t) {
         t.button.OnMouseMove(0, 0, 5, 5);
         t.host.pointerOver = false;
         t.button.OnTimer();
         t.button.OnTimer();
       },
       {"Timer on"}},
      {"the access key clicks only while enabled",
       [](TestButton& t) {
         t.host.enabled = false;
         t.button.OnAccessKey();
         t.host.enabled = true;
         t.button.OnAccessKey();
       },
       {"Click"}},
      {"focus lost ends press and hover",
       [](TestButton& t) {
         t.button.OnFocusIn();
         t.button.OnKeyDown(32, 0);
         t.button.OnFocusOut();
       },
       {"Show down=0", "Show down=1", "KeyDown 32 0", "Show down=0"}},
  };
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    TestButton t;
    scenario.run(t);
    EXPECT_EQ(t.log, scenario.expected);
  }
}

TEST(XpBInteraction, FlagsFollowTheInput) {
  TestButton t;
  Hover(t);
  EXPECT_EQ(t.button.IsOver(), 1);
  t.button.OnFocusIn();
  EXPECT_EQ(t.button.HasFocus(), 1);
  EXPECT_EQ(t.button.IsOver(), 0);
  t.button.OnKeyDown(32, 0);
  EXPECT_EQ(t.button.IsDown(), 1);
  EXPECT_EQ(t.button.IsOver(), 1);
  t.button.OnFocusOut();
  EXPECT_EQ(t.button.HasFocus() + t.button.IsDown() + t.button.IsOver(), 0);
  // The timer runs until a hover ends, whatever else happened.
  EXPECT_TRUE(t.host.timerEnabled);
}

TEST(XpBInteraction, AmbientChangesResizeAndTerminatingDropsThePicture) {
  TestButton t;
  t.button.SetPicture(std::make_shared<testing::FakePicture>(423, 423));
  t.log.clear();
  t.host.width = 60;
  t.button.OnAmbientChanged(u"Font");
  EXPECT_EQ(t.button.SurfaceWidth(), 60);
  EXPECT_EQ(t.log, (EventLog{"Show down=0"}));
  t.button.OnTerminate();
  EXPECT_EQ(t.button.Picture(), nullptr);
  EXPECT_EQ(t.button.PictureWidth(), 16);
}

}  // namespace
}  // namespace brackwater
