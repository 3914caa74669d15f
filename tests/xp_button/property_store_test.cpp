#include "xp_button/property_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "tests/xp_button/fake_host.h"

namespace brackwater {
namespace {

using testing::SizedPicture;

TEST(PropertyStore, KeysMatchWithoutAsciiCaseAndDefaultsLeaveNoEntry) {
  PropertyStore store;
  store.Set(u"buttonstyle", std::int32_t{3});
  store.Set(u"ButtonStyle", std::int32_t{4});  // the same entry, which keeps its spelling
  store.Set(u"\u00C4", true);
  ASSERT_EQ(store.Entries().size(), 2u);
  EXPECT_EQ(store.Entries()[0].key, u"buttonstyle");
  EXPECT_EQ(store.ReadValue(u"BUTTONSTYLE", std::int16_t{2}), StoreValue(std::int32_t{4}));
  EXPECT_EQ(store.Find(u"\u00E4"), nullptr);
  // The default written over an entry takes it away, so that reading gives the default.
  store.WriteValue(u"ButtonStyle", std::int16_t{2}, std::int16_t{2});
  EXPECT_EQ(store.ReadValue(u"ButtonStyle", std::int16_t{2}), StoreValue(std::int16_t{2}));

  const auto picture = SizedPicture(100, 100);
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
      {"same text", std::u16string(u"Go"), std::u16string(u"Go"), false},
      {"text in another case", std::u16string(u"go"), std::u16string(u"Go"), true},
      {"no picture", PicturePtr(), StoreValue(), false},
      {"a picture", picture, StoreValue(), true},
      {"the same picture", picture, picture, false},
      {"an equal but other picture", SizedPicture(100, 100), picture, true},
  };
  for (const auto& row : rows) {
    PropertyStore written;
    written.WriteValue(u"Key", row.value, row.defaultValue);
    const StoreValue* entry = written.Find(u"Key");
    EXPECT_EQ(entry ? std::optional(*entry) : std::nullopt,
              row.stored ? std::optional(row.value) : std::nullopt)
        << row.name;
  }
}

// An expected conversion: the value, or the kind of error.
using Outcome = std::variant<std::int32_t, bool, StoreErrorKind>;

template <typename Convert>
Outcome Try(Convert convert, const StoreValue& value) {
  try {
    return convert(value, u"MaskColor");
  } catch (const StoreError& error) {
    EXPECT_EQ(error.Key(), u"MaskColor");
    EXPECT_NE(std::string(error.what()).find("\"MaskColor\""), std::string::npos);
    return error.Kind();
  }
}

TEST(StoreConversions, NumbersAndBooleansFromEveryKindOfValue) {
  constexpr auto kMismatch = StoreErrorKind::kTypeMismatch;
  constexpr auto kOverflow = StoreErrorKind::kOverflow;
  const struct {
    StoreValue value;
    Outcome number;
    Outcome boolean;
  } rows[] = {
      {StoreValue(), 0, false},
      {std::int16_t{-5}, -5, true},
      {std::int32_t{0}, 0, false},
      {true, -1, true},
      {std::u16string(u" 42\t"), 42, true},
      {std::u16string(u"2.5"), 2, true},
      {std::u16string(u"-3.5"), -4, true},
      {std::u16string(u".5"), 0, true},
      {std::u16string(u"1e3"), 1000, true},
      {std::u16string(u"1e-400"), 0, false},
      {std::u16string(u"2147483647"), 2147483647, true},
      {std::u16string(u"-2147483648"), -2147483647 - 1, true},
      {std::u16string(u"2147483648"), kOverflow, true},
      {std::u16string(u"2147483647.5"), kOverflow, true},
      {std::u16string(u"1e400"), kOverflow, kOverflow},
      {std::u16string(u"tRUE"), kMismatch, true},
      {std::u16string(u"False"), kMismatch, false},
      {std::u16string(u""), kMismatch, kMismatch},
      {std::u16string(u"12abc"), kMismatch, kMismatch},
      {std::u16string(u"inf"), kMismatch, kMismatch},
      {SizedPicture(1, 1), kMismatch, kMismatch},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Try(ToInt32, row.value), row.number) << DescribeStoreValue(row.value);
    EXPECT_EQ(Try(ToBoolean, row.value), row.boolean) << DescribeStoreValue(row.value);
  }
  EXPECT_EQ(ToText(std::int32_t{-3}, u"k"), u"-3");
  EXPECT_EQ(ToText(true, u"k"), u"True");
  EXPECT_EQ(ToText(StoreValue(), u"k"), u"");
  EXPECT_THROW(ToText(SizedPicture(1, 1), u"k"), StoreError);
  EXPECT_EQ(ToPicture(StoreValue(), u"k"), nullptr);
  EXPECT_THROW(ToPicture(std::int32_t{1}, u"k"), StoreError);
}

}  // namespace
}  // namespace brackwater
