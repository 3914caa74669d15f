#include "notes_export/window/design_data.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/gui/units.h"

namespace brackwater {
namespace {

DesignData MainWindowData() {
  std::ifstream in(std::string(BRACKWATER_RESOURCES) + "/main_window.design", std::ios::binary);
  return ParseDesignData(
      std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

TEST(DesignData, MainWindowHoldsItsControlsAtTheirPixels) {
  const DesignData data = MainWindowData();
  EXPECT_EQ(data.settings.ReadValue(u"Caption", u""), StoreValue(u"Brackwater"));
  EXPECT_EQ(TwipsToPixels(std::get<std::int32_t>(data.settings.ReadValue(u"ClientWidth", 0))), 324);
  EXPECT_EQ(TwipsToPixels(std::get<std::int32_t>(data.settings.ReadValue(u"ClientHeight", 0))),
            146);

  struct Expected {
    const char16_t* name;
    const char16_t* kind;
    int left, top, width, height, tabIndex;
  };
  const Expected table[] = {
      {u"Label2", u"Label", 8, 12, 178, 13, 4},
      {u"Label3", u"Label", 8, 32, 101, 13, 5},
      {u"Label4", u"Label", 8, 52, 66, 13, 6},
      {u"Command1", u"Brackwater.XpB", 8, 76, 153, 41, 2},
      {u"Command2", u"Brackwater.XpB", 164, 76, 153, 41, 3},
      {u"Label1", u"Label", 0, 128, 323, 17, 1},
      {u"CD", u"CommonDialog", 348, 120, 36, 36, 0},
  };
  ASSERT_EQ(data.controls.size(), std::size(table));
  for (const Expected& e : table) {
    const DesignControl& control = data.Control(e.name);
    SCOPED_TRACE(std::string(control.name.begin(), control.name.end()));
    EXPECT_EQ(control.kind, e.kind);
    EXPECT_EQ(TwipsToPixels(control.place.left), e.left);
    EXPECT_EQ(TwipsToPixels(control.place.top), e.top);
    EXPECT_EQ(TwipsToPixels(control.place.width), e.width);
    EXPECT_EQ(TwipsToPixels(control.place.height), e.height);
    EXPECT_EQ(control.place.tabIndex, e.tabIndex);
  }
  EXPECT_EQ(data.Control(u"Label2").settings.ReadValue(u"Caption", u""),
            StoreValue(u"Step 1. Find and open file \"notes.adr\""));
  EXPECT_EQ(data.Control(u"Label3").settings.ReadValue(u"Caption", u""),
            StoreValue(u"Step 2. Press \"Save\""));
  EXPECT_EQ(data.Control(u"Label1").settings.ReadValue(u"BackColor", 0),
            StoreValue(std::int32_t{0xC0C0C0}));
}

TEST(DesignData, ButtonsKeepTheirSettingsInLowerCase) {
  const DesignData data = MainWindowData();
  for (const char16_t* name : {u"Command1", u"Command2"}) {
    const PropertyStore& store = data.Control(name).settings;
    EXPECT_EQ(store.ReadValue(u"ButtonStyle", std::int16_t{2}), StoreValue(std::int32_t{1}));
    EXPECT_EQ(store.ReadValue(u"ShowFocusRect", true), StoreValue(false));
    EXPECT_EQ(store.ReadValue(u"XPDefaultColors", true), StoreValue(false));
    EXPECT_EQ(store.ReadValue(u"PictureWidth", std::int16_t{32}), StoreValue(std::int32_t{16}));
  }
  EXPECT_EQ(data.Control(u"Command1").settings.ReadValue(u"Enabled", true), StoreValue(true));
  EXPECT_EQ(data.Control(u"Command2").settings.ReadValue(u"Enabled", true), StoreValue(false));
  EXPECT_EQ(data.Control(u"Command2").settings.ReadValue(u"Caption", u""), StoreValue(u"Save"));
}

TEST(DesignData, FaultsNameTheirLine) {
  const struct {
    const char* text;
    int line;
  } faults[] = {
      {"Window Main\n", 1},
      {"Begin Window Main\n  Caption = \"open\n", 2},
      {"Begin Window Main\n\n  Begin Label L\n    Left = \"far\"\n  End\nEnd\n", 4},
      {"Begin Window Main\n  Width = &HXYZ&\nEnd\n", 2},
      {"Begin Window Main\n  Begin Label L\n  Begin Label M\n", 3},
      {"Begin Window Main\n  Caption \"x\"\nEnd\n", 2},
      {"Begin Window Main\n", 2},
  };
  for (const auto& fault : faults) {
    try {
      ParseDesignData(fault.text);
      ADD_FAILURE() << "accepted: " << fault.text;
    } catch (const DesignDataError& error) {
      EXPECT_EQ(error.Line(), fault.line) << fault.text << error.what();
    }
  }
}

}  // namespace
}  // namespace brackwater
