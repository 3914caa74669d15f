#include "xp_button/xpb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/system/text_codec.h"
#include "tests/xp_button/fake_host.h"

namespace brackwater {
namespace {

using testing::EventLog;
using testing::FakePicture;
using testing::TestButton;

long Repaints(const EventLog& log) {
  return std::count_if(log.begin(), log.end(),
                       [](const std::string& e) { return e.starts_with("Show"); });
}

TEST(XpBProperties, SettersRepaintExceptTheRingColours) {
  const struct {
    const char* name;
    std::function<void(XpB&)> set;
    bool repaints;
  } rows[] = {
      {"ShowFocusRect", [](XpB& b) { b.SetShowFocusRect(true); }, true},
      {"ButtonStyle", [](XpB& b) { b.SetButtonStyle(7); }, true},
      {"PicturePosition", [](XpB& b) { b.SetPicturePosition(-1); }, true},
      {"MaskColor", [](XpB& b) { b.SetMaskColor(0xFF00FF); }, true},
      {"UseMaskColor", [](XpB& b) { b.SetUseMaskColor(true); }, true},
      {"XPColor_Pressed", [](XpB& b) { b.SetXPColor_Pressed(0xFF); }, false},
      {"XPColor_Hover", [](XpB& b) { b.SetXPColor_Hover(0xFF); }, false},
      {"XPDefaultColors", [](XpB& b) { b.SetXPDefaultColors(true); }, false},
  };
  for (const auto& row : rows) {
    TestButton t;
    row.set(t.button);
    EXPECT_EQ(Repaints(t.log), row.repaints ? 1 : 0) << row.name;
  }
}

TEST(XpBProperties, EnabledCtrlSwitchesTheWindowAndPutsTheButtonAtRest) {
  TestButton t;
  t.button.OnMouseDown(1, 0, 5, 5);
  t.log.clear();
  t.button.SetEnabledCtrl(false);
  EXPECT_FALSE(t.host.enabled);
  EXPECT_EQ(t.button.IsDown(), 0);
  EXPECT_EQ(t.button.IsOver(), 0);
  EXPECT_EQ(t.button.HasFocus(), 0);
  EXPECT_EQ(t.log, (EventLog{"Show down=0"}));
}

TEST(XpBProperties, PictureSizeFollowsTheScreenResolution) {
  TestButton t;
  const auto picture = std::make_shared<FakePicture>(423, 847);
  t.button.SetPicture(picture);
  EXPECT_EQ(t.button.Picture(), picture);   // the same object, not a copy
  EXPECT_EQ(t.button.PictureWidth(), 16);   // 15.99
  EXPECT_EQ(t.button.PictureHeight(), 32);  // 32.01
  // At 127 pixels per inch a HIMETRIC unit is a twentieth of a pixel: halves go to even.
  t.host.ppiX = t.host.ppiY = 127;
  t.button.SetPicture(std::make_shared<FakePicture>(50, 70));
  EXPECT_EQ(t.button.PictureWidth(), 2);   // 2.5
  EXPECT_EQ(t.button.PictureHeight(), 4);  // 3.5
  // None keeps the size, and saving then stores the size without a picture.
  t.button.SetPicture(nullptr);
  EXPECT_EQ(t.button.PictureWidth(), 2);
  EXPECT_EQ(Repaints(t.log), 3);
  PropertyStore saved;
  t.button.SaveToStore(saved);
  EXPECT_EQ(saved.Find(u"Picture"), nullptr);
  ASSERT_NE(saved.Find(u"PictureHeight"), nullptr);
  EXPECT_EQ(*saved.Find(u"PictureHeight"), StoreValue(std::int32_t{4}));
}

TEST(XpBProperties, APictureThatFailsIsKeptWithoutARepaint) {
  TestButton t;
  t.button.SetPicture(std::make_shared<FakePicture>(847, 847));
  const auto failing = std::make_shared<FakePicture>(423, 423);
  failing->heightFails = true;
  EXPECT_THROW(t.button.SetPicture(failing), std::runtime_error);
  EXPECT_EQ(t.button.Picture(), failing);
  EXPECT_EQ(t.button.PictureWidth(), 16);   // asked for first, and set
  EXPECT_EQ(t.button.PictureHeight(), 32);  // the old one
  // A width beyond 32 bits at this resolution.
  t.host.ppiX = 10000;
  EXPECT_THROW(t.button.SetPicture(std::make_shared<FakePicture>(1000000000, 10)),
               std::overflow_error);
  EXPECT_EQ(t.button.PictureWidth(), 16);
  EXPECT_EQ(Repaints(t.log), 1);
}

TEST(XpBProperties, TheCaptionMarksItsAccessKeyBeforeTheRepaint) {
  const struct {
    std::u16string caption;
    const char* key;
  } rows[] = {
      {u"&Save", "Key s"},
      {u"S&ave", "Key a"},
      {u"Save&", "Key none"},
      {u"&", "Key none"},
      {u"Save", "Key none"},
      {u"", "Key none"},
      {u"R&&D &Go", "Key g"},
      {u"R&&D", "Key none"},
      {u"&&&x", "Key x"},
      {u"&&x", "Key none"},
      {u"&&&", "Key none"},
      {u"&&&&x", "Key none"},
      {u"&1", "Key 1"},
      // Only the first two groups count: the single ampersand after the second "&&" marks
      // nothing.
      {u"a&&b&&c&d", "Key none"},
  };
  for (const auto& row : rows) {
    TestButton t;
    t.button.SetCaption(row.caption);
    EXPECT_EQ(t.log, (EventLog{row.key, "Show down=0"})) << Utf16ToUtf8(row.caption);
  }
}

TEST(XpBMouse, ButtonsRaiseTheirEventsInOrder) {
  const struct {
    const char* name;
    std::int16_t pressed;
    std::int16_t released;
    bool pointerOver;
    EventLog expected;
  } rows[] = {
      {"left, released over the button",
       1,
       1,
       true,
       {"Show down=1", "MouseDown 1 3 2.5 4", "Show down=0", "Click", "MouseUp 1 3 2.5 4"}},
      {"left, released with the pointer elsewhere",
       1,
       1,
       false,
       {"Show down=1", "MouseDown 1 3 2.5 4", "Show down=0", "MouseUp 1 3 2.5 4"}},
      {"right", 2, 2, true, {"MouseDown 2 3 2.5 4", "MouseUp 2 3 2.5 4"}},
      {"middle", 4, 4, true, {"MouseDown 4 3 2.5 4", "MouseUp 4 3 2.5 4"}},
      // Any release ends a press, but only the left one repaints.
      {"left pressed, right released",
       1,
       2,
       true,
       {"Show down=1", "MouseDown 1 3 2.5 4", "MouseUp 2 3 2.5 4"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TestButton t;
    t.host.pointerOver = row.pointerOver;
    t.button.OnMouseDown(row.pressed, 3, 2.5f, 4.0f);
    t.button.OnMouseUp(row.released, 3, 2.5f, 4.0f);
    EXPECT_EQ(t.log, row.expected);
    EXPECT_EQ(t.button.IsDown(), 0);
  }
}

TEST(XpBMouse, AClickHandlerMayDestroyTheButton) {
  testing::OwnedButton t;
  t.events.onClick = [&] { t.button.reset(); };
  t.button->OnMouseDown(1, 0, 1, 1);
  t.button->OnMouseUp(1, 0, 1, 1);
  // Nothing of the button runs after the handler: no MouseUp from a destroyed control.
  EXPECT_EQ(t.log, (EventLog{"Show down=1", "MouseDown 1 0 1 1", "Show down=0", "Click"}));
}

}  // namespace
}  // namespace brackwater
