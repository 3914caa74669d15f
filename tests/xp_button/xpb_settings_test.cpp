#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/text_codec.h"
#include "tests/xp_button/fake_host.h"
#include "xp_button/property_store.h"
#include "xp_button/xpb.h"
#include "xp_button/xpb_paint.h"

namespace brackwater {
namespace {

using testing::FakePicture;
using testing::TestButton;
using Keys = std::vector<std::string>;

const Keys kLoadOrder{"ShowFocusRect",   "Caption",       "PicturePosition", "ButtonStyle",
                      "PictureWidth",    "PictureHeight", "Picture",         "Enabled",
                      "XPColor_Pressed", "XPColor_Hover", "XPDefaultColors", "MaskColor",
                      "UseMaskColor"};
const Keys kSaveOrder{"Caption",         "PicturePosition", "ButtonStyle",     "Picture",
                      "PictureWidth",    "PictureHeight",   "Enabled",         "ShowFocusRect",
                      "XPColor_Pressed", "XPColor_Hover",   "XPDefaultColors", "MaskColor",
                      "UseMaskColor"};

const std::shared_ptr<Picture> kPicture = std::make_shared<FakePicture>(423, 423);

// Every key with a value of its type that is not its default, different from key to key:
// integers are 1000 + the key's place in the table.
PropertyStore FullStore(bool lowerCaseKeys = false) {
  PropertyStore store;
  std::int32_t number = 1000;
  for (const XpBSetting& setting : XpB::Settings()) {
    std::u16string key(setting.key);
    for (char16_t& c : key) c = lowerCaseKeys && c >= u'A' && c <= u'Z' ? c + 32 : c;
    const StoreValue values[] = {false, std::u16string(u"&Save"), number, kPicture};
    store.Set(key, values[static_cast<int>(setting.type)]);
    ++number;
  }
  return store;
}

PropertyStore Saved(const XpB& button) {
  PropertyStore store;
  button.SaveToStore(store);
  return store;
}

std::optional<StoreValue> EntryOf(const PropertyStore& store, std::u16string_view key) {
  const StoreValue* value = store.Find(key);
  return value != nullptr ? std::optional<StoreValue>(*value) : std::nullopt;
}

Keys KeysOf(const PropertyStore& store) {
  Keys keys;
  for (const StoreEntry& entry : store.Entries()) keys.push_back(Utf16ToUtf8(entry.key));
  return keys;
}

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

TEST(XpBSettings, AnEmptyStoreLoadsEveryDefaultAndSavesAlmostNothing) {
  TestButton t;
  RecordingStore empty;
  t.button.LoadFromStore(empty);
  EXPECT_EQ(empty.visited, kLoadOrder);
  const XpB& b = t.button;
  EXPECT_TRUE(b.ShowFocusRect());
  EXPECT_EQ(b.Caption(), u"Command1");
  EXPECT_EQ(b.PicturePosition(), 1);
  EXPECT_EQ(b.ButtonStyle(), XpBStyle::kFlatDefault);
  EXPECT_EQ(b.PictureWidth(), 32);
  EXPECT_EQ(b.PictureHeight(), 32);
  EXPECT_EQ(b.Picture(), nullptr);
  EXPECT_TRUE(b.EnabledCtrl());
  EXPECT_EQ(b.XPColor_Pressed(), SystemColor(SystemColorIndex::kButtonHighlight));
  EXPECT_EQ(b.XPColor_Hover(), SystemColor(SystemColorIndex::k3DLight));
  EXPECT_TRUE(b.XPDefaultColors());
  EXPECT_EQ(b.MaskColor(), 0);
  EXPECT_FALSE(b.UseMaskColor());
  // The access key from the caption, then the size and one repaint at that size.
  EXPECT_EQ(t.log, (testing::EventLog{"Key none", "Show down=0"}));
  EXPECT_EQ(b.FocusRect(), (Rect{4, 4, 71, 21}));
  EXPECT_EQ(b.Surface().pixels.size(), 75u * 25u);

  // ShowFocusRect and XPDefaultColors default to the integer 1, which no boolean equals (true
  // is -1): like the stored data they came from, they always leave an entry.
  t.log.clear();
  RecordingStore saved;
  b.SaveToStore(saved);
  EXPECT_EQ(saved.visited, kSaveOrder);
  EXPECT_EQ(KeysOf(saved), (Keys{"ShowFocusRect", "XPDefaultColors"}));
  EXPECT_EQ(EntryOf(saved, u"ShowFocusRect"), StoreValue(true));
  EXPECT_TRUE(t.log.empty()) << "saving repainted";
}

TEST(XpBSettings, EachKeyLoadsIntoItsPropertyWhateverItsCaseAndSavesBack) {
  for (const bool lower : {false, true}) {
    SCOPED_TRACE(lower ? "lower-case keys" : "keys as declared");
    TestButton t;
    const PropertyStore source = FullStore(lower);
    PropertyStore store = source;
    t.button.LoadFromStore(store);
    const XpB& b = t.button;
    EXPECT_FALSE(b.ShowFocusRect());
    EXPECT_EQ(b.Caption(), u"&Save");
    EXPECT_EQ(b.PicturePosition(), 1002);
    EXPECT_EQ(b.ButtonStyle(), 1003);
    EXPECT_EQ(b.PictureWidth(), 1004);
    EXPECT_EQ(b.PictureHeight(), 1005);
    EXPECT_EQ(b.Picture(), kPicture);
    EXPECT_FALSE(b.EnabledCtrl());
    EXPECT_EQ(b.XPColor_Pressed(), 1008);
    EXPECT_EQ(b.XPColor_Hover(), 1009);
    EXPECT_FALSE(b.XPDefaultColors());
    EXPECT_EQ(b.MaskColor(), 1011);
    EXPECT_TRUE(b.UseMaskColor());
    EXPECT_EQ(t.host.accessKey, u's');

    // Every key comes back with the value and type it was loaded from, spelled as declared.
    const PropertyStore saved = Saved(b);
    EXPECT_EQ(KeysOf(saved), kSaveOrder);
    for (const XpBSetting& setting : XpB::Settings()) {
      EXPECT_EQ(EntryOf(saved, setting.key), EntryOf(source, setting.key))
          << Utf16ToUtf8(setting.key);
    }
  }
}

TEST(XpBSettings, PictureAndEnabledEntriesAreTakenAsStored) {
  TestButton t;
  t.button.OnMouseDown(1, 0, 1, 1);
  PropertyStore store;
  store.Set(u"picture", kPicture);  // 16 x 16 pixels of its own
  store.Set(u"enabled", false);
  t.button.LoadFromStore(store);
  EXPECT_EQ(t.button.Picture(), kPicture);
  EXPECT_EQ(t.button.PictureWidth(), 32);
  EXPECT_EQ(t.button.PictureHeight(), 32);
  // The window is switched off directly: the press stays as it was.
  EXPECT_FALSE(t.button.EnabledCtrl());
  EXPECT_EQ(t.button.IsDown(), 1);
}

TEST(XpBSettings, UseMaskColorKeepsTheIntegerItWasStoredAs) {
  TestButton t;
  PropertyStore store;
  store.Set(u"UseMaskColor", std::int32_t{5});
  t.button.LoadFromStore(store);
  EXPECT_TRUE(t.button.UseMaskColor());
  EXPECT_EQ(EntryOf(Saved(t.button), u"UseMaskColor"), StoreValue(std::int32_t{5}));
  t.button.SetUseMaskColor(true);
  EXPECT_EQ(EntryOf(Saved(t.button), u"UseMaskColor"), StoreValue(std::int32_t{-1}));
  t.button.SetUseMaskColor(false);
  EXPECT_EQ(EntryOf(Saved(t.button), u"UseMaskColor"), std::nullopt);
}

// After a load that stopped at `failedKey`: the keys before it loaded, it and those after it as
// a button that never loaded has them, and neither the access key nor the size taken up.
void ExpectStoppedAt(const TestButton& t, const std::string& failedKey,
                     const PropertyStore& source) {
  TestButton untouched;
  const PropertyStore saved = Saved(t.button);
  const PropertyStore unloaded = Saved(untouched.button);
  bool before = true;
  for (const std::string& key : kLoadOrder) {
    const std::u16string key16 = Utf8ToUtf16(key);
    before = before && key != failedKey;
    EXPECT_EQ(EntryOf(saved, key16), EntryOf(before ? source : unloaded, key16)) << key;
  }
  EXPECT_TRUE(t.log.empty());
  EXPECT_EQ(t.button.SurfaceWidth(), 0);
}

TEST(XpBSettings, AValueThatDoesNotConvertStopsTheLoadAtItsKey) {
  const struct {
    std::string key;
    StoreValue value;
    StoreErrorKind kind;
  } rows[] = {
      {"ButtonStyle", std::u16string(u"abc"), StoreErrorKind::kTypeMismatch},
      {"MaskColor", std::u16string(u"4294967296"), StoreErrorKind::kOverflow},
      {"Picture", std::int32_t{5}, StoreErrorKind::kTypeMismatch},
      {"Caption", kPicture, StoreErrorKind::kTypeMismatch},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key + " = " + DescribeStoreValue(row.value));
    TestButton t;
    PropertyStore store = FullStore();
    store.Set(Utf8ToUtf16(row.key), row.value);
    try {
      t.button.LoadFromStore(store);
      ADD_FAILURE() << "loaded";
    } catch (const StoreError& error) {
      EXPECT_EQ(Utf16ToUtf8(error.Key()), row.key);
      EXPECT_EQ(error.Kind(), row.kind);
    }
    ExpectStoppedAt(t, row.key, store);
  }
}

TEST(XpBSettings, AFailingStoreOrInstanceNameStopsLoadingAndSaving) {
  const PropertyStore full = FullStore();
  {
    TestButton t;
    RecordingStore store;
    for (const StoreEntry& entry : full.Entries()) store.Set(entry.key, entry.value);
    store.failAt = u"XPColor_Hover";
    EXPECT_THROW(t.button.LoadFromStore(store), StoreError);
    ExpectStoppedAt(t, "XPColor_Hover", full);
  }
  {
    TestButton t;
    t.host.instanceNameFails = true;
    PropertyStore store = full;
    EXPECT_THROW(t.button.LoadFromStore(store), std::runtime_error);
    t.host.instanceNameFails = false;  // saving, to look, asks for it again
    ExpectStoppedAt(t, "Caption", full);
  }
  TestButton t;
  PropertyStore source = full;
  t.button.LoadFromStore(source);
  RecordingStore store;
  store.failAt = u"Enabled";
  EXPECT_THROW(t.button.SaveToStore(store), StoreError);
  EXPECT_EQ(KeysOf(store), (Keys{"Caption", "PicturePosition", "ButtonStyle", "Picture",
                                 "PictureWidth", "PictureHeight"}));
}

}  // namespace
}  // namespace brackwater
