#include "xp_button/xpb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/system/text_codec.h"
#include "tests/xp_button/fake_host.h"
#include "xp_button/xpb_paint.h"

namespace brackwater {
namespace {

using testing::EventLog;
using testing::FakePicture;
using testing::Rig;
using testing::SizedPicture;
using Keys = std::vector<std::string>;

const Keys kLoadOrder{"ShowFocusRect",   "Caption",       "PicturePosition", "ButtonStyle",
                      "PictureWidth",    "PictureHeight", "Picture",         "Enabled",
                      "XPColor_Pressed", "XPColor_Hover", "XPDefaultColors", "MaskColor",
                      "UseMaskColor"};
const PicturePtr kPicture = SizedPicture(423, 423);

// Records the keys asked for, and fails at one of them as a store in a broken file would.
class RecordingStore : public PropertyStore {
 public:
  StoreValue ReadValue(std::u16string_view key, const StoreValue& defaultValue) const override {
    Visit(key);
    return PropertyStore::ReadValue(key, defaultValue);
  }
  void WriteValue(std::u16string_view key, const StoreValue& value,
                  const StoreValue& defaultValue) override {
    Visit(key);
    PropertyStore::WriteValue(key, value, defaultValue);
  }
  mutable Keys visited;
  std::u16string failAt;

 private:
  void Visit(std::u16string_view key) const {
    visited.push_back(Utf16ToUtf8(key));
    if (key == failAt) throw StoreError(StoreErrorKind::kFailure, key, "disk gone");
  }
};

// Every key with a value of its type that is not its default: integers 1000 + the key's place.
RecordingStore FullStore(bool lowerCaseKeys = false) {
  RecordingStore store;
  std::int32_t number = 1000;
  for (const XpBSetting& setting : XpB::Settings()) {
    std::u16string key(setting.key);
    if (lowerCaseKeys)
      std::transform(key.begin(), key.end(), key.begin(),
                     [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; });
    const StoreValue values[] = {false, std::u16string(u"&Save"), number++, kPicture};
    store.Set(key, values[static_cast<int>(setting.type)]);
  }
  return store;
}

RecordingStore Saved(const XpB& button) {
  RecordingStore store;
  button.SaveToStore(store);
  return store;
}

Keys KeysOf(const PropertyStore& store) {
  Keys keys;
  for (const StoreEntry& entry : store.Entries()) keys.push_back(Utf16ToUtf8(entry.key));
  return keys;
}

TEST(XpBSettings, LoadAndSaveGoByTheirOrderAndDefaults) {
  Rig t;
  RecordingStore empty;
  t.b->LoadFromStore(empty);
  EXPECT_EQ(empty.visited, kLoadOrder);
  EXPECT_EQ(t.log, (EventLog{"Show N"}));  // the flat default style, at the size taken up
  EXPECT_EQ(t.host.accessKey, std::nullopt);
  EXPECT_EQ(t.b->FocusRect(), (Rect{4, 4, 71, 21}));
  // ShowFocusRect and XPDefaultColors default to the integer 1, which true (-1) is not.
  RecordingStore saved = Saved(*t.b);
  EXPECT_EQ(saved.visited,
            (Keys{"Caption", "PicturePosition", "ButtonStyle", "Picture", "PictureWidth",
                  "PictureHeight", "Enabled", "ShowFocusRect", "XPColor_Pressed", "XPColor_Hover",
                  "XPDefaultColors", "MaskColor", "UseMaskColor"}));
  EXPECT_EQ(KeysOf(saved), (Keys{"ShowFocusRect", "XPDefaultColors"}));
  EXPECT_EQ(t.log.size(), 1u) << "saving repainted";

  // Every key, whatever its case, into its property and back as it was, spelled as declared.
  for (const bool lower : {false, true}) {
    Rig f;
    const RecordingStore source = FullStore(lower);
    f.b->LoadFromStore(source);
    EXPECT_EQ((std::array{f.b->PicturePosition(), f.b->ButtonStyle(), f.b->PictureWidth(),
                          f.b->PictureHeight(), f.b->XPColor_Pressed(), f.b->XPColor_Hover(),
                          f.b->MaskColor()}),
              (std::array{1002, 1003, 1004, 1005, 1008, 1009, 1011}));
    EXPECT_EQ(f.host.accessKey, u's');
    const RecordingStore back = Saved(*f.b);
    EXPECT_EQ(back.visited, KeysOf(back));
    for (const XpBSetting& setting : XpB::Settings()) {
      ASSERT_NE(back.Find(setting.key), nullptr);
      EXPECT_EQ(*back.Find(setting.key), *source.Find(setting.key)) << Utf16ToUtf8(setting.key);
    }
    // UseMaskColor keeps the integer it was stored as (1012); its setter writes -1.
    f.b->SetUseMaskColor(true);
    EXPECT_EQ(*Saved(*f.b).Find(u"UseMaskColor"), StoreValue(std::int32_t{-1}));
  }
}

TEST(XpBSettings, AFailureStopsTheLoadOrTheSaveAtItsKey) {
  const struct {
    std::string key;
    StoreValue value;  // none: the store fails there
    StoreErrorKind kind;
  } rows[] = {
      {"ButtonStyle", std::u16string(u"abc"), StoreErrorKind::kTypeMismatch},
      {"MaskColor", std::u16string(u"4294967296"), StoreErrorKind::kOverflow},
      {"Picture", std::int32_t{5}, StoreErrorKind::kTypeMismatch},
      {"Caption", kPicture, StoreErrorKind::kTypeMismatch},
      {"XPColor_Hover", StoreValue(), StoreErrorKind::kFailure},
  };
  const RecordingStore unloaded = Saved(*Rig().b);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    Rig t;
    RecordingStore store = FullStore();
    const std::u16string key = Utf8ToUtf16(row.key);
    if (std::holds_alternative<std::monostate>(row.value)) {
      store.failAt = key;
    } else {
      store.Set(key, row.value);
    }
    try {
      t.b->LoadFromStore(store);
      ADD_FAILURE() << "loaded";
    } catch (const StoreError& error) {
      EXPECT_EQ(error.Key(), key);
      EXPECT_EQ(error.Kind(), row.kind);
    }
    // The keys before it loaded; it and those after as they were; no access key, no size.
    const RecordingStore saved = Saved(*t.b);
    const auto failed = std::find(kLoadOrder.begin(), kLoadOrder.end(), row.key);
    for (auto k = kLoadOrder.begin(); k != kLoadOrder.end(); ++k) {
      const StoreValue* expected = (k < failed ? store : unloaded).Find(Utf8ToUtf16(*k));
      const StoreValue* actual = saved.Find(Utf8ToUtf16(*k));
      EXPECT_EQ(actual ? *actual : StoreValue(), expected ? *expected : StoreValue()) << *k;
    }
    EXPECT_EQ(t.host.accessKey, u'?');
    EXPECT_TRUE(t.log.empty());
  }
  Rig t;
  t.b->LoadFromStore(FullStore());
  RecordingStore store;
  store.failAt = u"Enabled";
  EXPECT_THROW(t.b->SaveToStore(store), StoreError);
  EXPECT_EQ(KeysOf(store), (Keys{"Caption", "PicturePosition", "ButtonStyle", "Picture",
                                 "PictureWidth", "PictureHeight"}));
}

TEST(XpBProperties, APictureTakesItsSizeAtTheScreensResolution) {
  const struct {
    int ppiX, ppiY;
    std::int32_t himetricW, himetricH;
    std::int32_t w, h;
  } rows[] = {
      {96, 96, 423, 847, 16, 32},  // 15.99 and 32.01
      {127, 127, 50, 70, 2, 4},    // 2.5 and 3.5: halves to even
      {96, 192, 423, 423, 16, 32},
      {192, 96, 423, 423, 32, 16},
  };
  for (const auto& row : rows) {
    Rig t;
    t.host.ppiX = row.ppiX;
    t.host.ppiY = row.ppiY;
    t.b->SetPicture(SizedPicture(row.himetricW, row.himetricH));
    EXPECT_EQ(std::pair(t.b->PictureWidth(), t.b->PictureHeight()), std::pair(row.w, row.h))
        << row.ppiX << " x " << row.ppiY << " per inch";
  }
  // None keeps the size; a failing picture is kept with the width it gave, and no repaint.
  Rig t;
  t.b->SetPicture(SizedPicture(847, 847));
  t.b->SetPicture(nullptr);
  const auto failing = SizedPicture(423, 423);
  failing->heightFails = true;
  t.log.clear();
  EXPECT_THROW(t.b->SetPicture(failing), std::runtime_error);
  EXPECT_EQ(t.b->Picture(), failing);
  EXPECT_EQ(std::pair(t.b->PictureWidth(), t.b->PictureHeight()), std::pair(16, 32));
  t.host.ppiX = 10000;  // a width beyond 32 bits
  EXPECT_THROW(t.b->SetPicture(SizedPicture(1000000000, 10)), std::overflow_error);
  EXPECT_EQ(t.b->PictureWidth(), 16);
  EXPECT_TRUE(t.log.empty());
  t.b->OnTerminate();
  EXPECT_EQ(t.b->Picture(), nullptr);
}

TEST(XpBProperties, TheCaptionMarksItsAccessKey) {
  const struct {
    std::u16string caption;
    std::optional<char16_t> key;
  } rows[] = {
      {u"&Save", u's'}, {u"S&ave", u'a'},    {u"Save&", {}}, {u"&", {}},         {u"Save", {}},
      {u"", {}},        {u"R&&D &Go", u'g'}, {u"R&&D", {}},  {u"&&&x", u'x'},    {u"&&x", {}},
      {u"&&&", {}},     {u"&&&&x", {}},      {u"&1", u'1'},  {u"a&&b&&c&d", {}},  // only the first
                                                                                  // two groups
                                                                                  // count
  };
  for (const auto& row : rows) {
    Rig t;
    t.b->SetCaption(row.caption);
    EXPECT_EQ(t.host.accessKey, row.key) << Utf16ToUtf8(row.caption);
  }
}

TEST(XpBLayout, PicturePositionPlacesPictureAndCaptionAsOneBlock) {
  // "OK" in the fixed cells measures 14 x 13 with the margins; the content is inset by 4.
  const struct {
    std::u16string text;
    std::int32_t position;
    int side;  // of a square icon
    Rect picture;
    Rect caption;
  } rows[] = {
      {u"OK", 0, 16, {68, 4, 84, 20}, {70, 24, 84, 37}},   // above
      {u"OK", 1, 16, {60, 12, 76, 28}, {80, 14, 94, 27}},  // left of
      {u"OK", 2, 16, {78, 12, 94, 28}, {60, 14, 74, 27}},  // right of
      {u"OK", 3, 16, {68, 21, 84, 37}, {70, 4, 84, 17}},   // below
      // No arrangement: the picture stays where the last layout (above) put it.
      {u"OK", 7, 16, {68, 4, 84, 20}, {70, 14, 84, 27}},
      // Alone it is centred wherever it is meant to go: 68.5 rounds to 68, 69.5 to 70.
      {u"", 0, 16, {68, 12, 84, 28}, {}},
      {u"", 7, 17, {68, 12, 85, 29}, {}},
      {u"", 2, 14, {70, 14, 84, 28}, {}},
      {u"Export the notes to a text file", 1, 0, {}, {12, 8, 140, 34}},
  };
  for (const auto& row : rows) {
    Rig t(153, 41);
    t.b->SetCaption(row.text);
    if (row.side > 0) {
      t.b->SetPicture(std::make_shared<FakePicture>(PictureKind::kIcon, Image(row.side, row.side)));
    }
    t.b->SetPicturePosition(row.position);
    if (row.side > 0) {
      EXPECT_EQ(t.b->PictureRect(), row.picture) << row.position << " " << row.side;
    }
    EXPECT_EQ(t.b->CaptionRect(), row.caption) << row.position << " " << row.side;
  }
  // Stored sizes beyond 16 bits are laid out.
  for (const std::int32_t width : {40000, 2147483647}) {
    Rig t(153, 41);
    PropertyStore store;
    store.Set(u"Caption", std::u16string(u"OK"));
    store.Set(u"PictureWidth", width);
    store.Set(u"Picture", kPicture);
    t.b->LoadFromStore(store);
    EXPECT_EQ(std::int64_t{t.b->PictureRect().right} - t.b->PictureRect().left, width);
    EXPECT_EQ(t.b->CaptionRect().left, t.b->PictureRect().right + 4);
  }
}

TEST(XpBLayout, ASideBelowTenPixelsIsSetToTenAndTheRepaintUsesIt) {
  const struct {
    int width, height;
    EventLog expected;  // the resize runs the size's handler again, nested
    Rect focus;
  } rows[] = {
      {9, 40, {"Size 10x40", "Show R", "Show R"}, {4, 4, 6, 36}},
      {5, 5, {"Size 10x5", "Size 10x10", "Show R", "Show R", "Show R"}, {4, 4, 6, 6}},
      {10, 10, {"Show R"}, {4, 4, 6, 6}},
  };
  for (const auto& row : rows) {
    Rig t;
    t.host.width = row.width;
    t.host.height = row.height;
    t.b->OnResize();
    EXPECT_EQ(t.log, row.expected) << row.width << " x " << row.height;
    EXPECT_EQ(t.b->FocusRect(), row.focus);
    EXPECT_EQ(std::pair(t.b->Surface().width, t.b->Surface().height),
              std::pair(t.host.width, t.host.height));
  }
}

}  // namespace
}  // namespace brackwater
