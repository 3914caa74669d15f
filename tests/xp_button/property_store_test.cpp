#include "xp_button/property_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/xp_button/fake_host.h"

namespace brackwater {
namespace {

using testing::FakePicture;

TEST(PropertyStore, MatchesKeysWithoutRegardToAsciiCase) {
  PropertyStore store;
  store.Set(u"buttonstyle", std::int32_t{3});
  EXPECT_EQ(store.ReadValue(u"ButtonStyle", std::int16_t{2}), StoreValue(std::int32_t{3}));
  // A second spelling is the same entry: it takes the value, the entry keeps its spelling.
  store.Set(u"ButtonStyle", std::int32_t{4});
  ASSERT_EQ(store.Entries().size(), 1u);
  EXPECT_EQ(store.Entries()[0].key, u"buttonstyle");
  EXPECT_EQ(store.Entries()[0].value, StoreValue(std::int32_t{4}));
  store.Set(u"\u00C4", true);
  EXPECT_EQ(store.Find(u"\u00E4"), nullptr);
  EXPECT_EQ(store.ReadValue(u"MaskColor", std::int16_t{0}), StoreValue(std::int16_t{0}));
}

TEST(PropertyStore, WritesNoEntryForAValueTheSameAsItsDefault) {
  const auto picture = std::make_shared<FakePicture>(100, 100);
  const struct {
    const char* name;
    StoreValue value;
    StoreValue defaultValue;
    bool stored;
  } rows[] = {
      {"numbers of both widths", std::int32_t{1}, std::int16_t{1}, false},
      {"true is -1", true, std::int16_t{-1}, false},
      {"true is not 1", true, std::int16_t{1}, true},
      {"false is 0", false, std::int16_t{0}, false},
      {"numeric text is no number", std::u16string(u"1"), std::int16_t{1}, true},
      {"same text", std::u16string(u"Command1"), std::u16string(u"Command1"), false},
      {"text in another case", std::u16string(u"command1"), std::u16string(u"Command1"), true},
      {"no picture", std::shared_ptr<Picture>(), StoreValue(), false},
      {"a picture", picture, StoreValue(), true},
      {"the same picture", picture, picture, false},
      {"an equal but other picture", std::make_shared<FakePicture>(100, 100), picture, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PropertyStore store;
    store.WriteValue(u"Key", row.value, row.defaultValue);
    const StoreValue* entry = store.Find(u"Key");
    ASSERT_EQ(entry != nullptr, row.stored);
    if (entry != nullptr) {
      EXPECT_EQ(*entry, row.value);  // of the value's own type
    }
  }
  // The default written over an entry takes it away, so that reading gives the default.
  PropertyStore store;
  store.Set(u"caption", std::u16string(u"Old"));
  store.WriteValue(u"Caption", std::u16string(u"Command1"), std::u16string(u"Command1"));
  EXPECT_TRUE(store.Entries().empty());
}

TEST(StoreConversions, ConvertNumbersTextsAndPicturesOrNameTheKey) {
  const struct {
    StoreValue value;
    std::int32_t expected;
  } numbers[] = {
      {StoreValue(), 0},
      {std::int16_t{-5}, -5},
      {true, -1},
      {std::u16string(u" 42\t"), 42},
      {std::u16string(u"2.5"), 2},
      {std::u16string(u"-3.5"), -4},
      {std::u16string(u"1e3"), 1000},
      {std::u16string(u"-2147483648"), -2147483647 - 1},
  };
  for (const auto& row : numbers) {
    EXPECT_EQ(ToInt32(row.value, u"MaskColor"), row.expected) << DescribeStoreValue(row.value);
  }
  const struct {
    StoreValue value;
    StoreErrorKind kind;
  } fails[] = {
      {std::u16string(u"abc"), StoreErrorKind::kTypeMismatch},
      {std::u16string(u""), StoreErrorKind::kTypeMismatch},
      {std::u16string(u"12abc"), StoreErrorKind::kTypeMismatch},
      {std::u16string(u"inf"), StoreErrorKind::kTypeMismatch},
      {std::make_shared<FakePicture>(1, 1), StoreErrorKind::kTypeMismatch},
      {std::u16string(u"2147483648"), StoreErrorKind::kOverflow},
      {std::u16string(u"2147483647.5"), StoreErrorKind::kOverflow},
      {std::u16string(u"1e400"), StoreErrorKind::kOverflow},
  };
  for (const auto& row : fails) {
    SCOPED_TRACE(DescribeStoreValue(row.value));
    try {
      ToInt32(row.value, u"MaskColor");
      ADD_FAILURE() << "converted";
    } catch (const StoreError& error) {
      EXPECT_EQ(error.Kind(), row.kind);
      EXPECT_EQ(error.Key(), u"MaskColor");
      EXPECT_NE(std::string(error.what()).find("\"MaskColor\""), std::string::npos);
    }
  }

  EXPECT_TRUE(ToBoolean(std::int32_t{5}, u"k"));
  EXPECT_FALSE(ToBoolean(std::int16_t{0}, u"k"));
  EXPECT_TRUE(ToBoolean(std::u16string(u"true"), u"k"));
  EXPECT_FALSE(ToBoolean(std::u16string(u" 0 "), u"k"));
  EXPECT_THROW(ToBoolean(std::u16string(u"yes"), u"k"), StoreError);
  EXPECT_EQ(ToText(std::int32_t{-3}, u"k"), u"-3");
  EXPECT_EQ(ToText(true, u"k"), u"True");
  EXPECT_THROW(ToText(std::make_shared<FakePicture>(1, 1), u"k"), StoreError);
  EXPECT_EQ(ToPicture(StoreValue(), u"k"), nullptr);
  EXPECT_THROW(ToPicture(std::int32_t{1}, u"k"), StoreError);
}

}  // namespace
}  // namespace brackwater
