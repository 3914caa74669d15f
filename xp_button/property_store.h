#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/gui/picture.h"

namespace brackwater {

// One stored setting. `bool` is the 16-bit boolean of stored data: true is −1 wherever it meets
// a number. A picture pointer that is null is the same as none.
using StoreValue = std::variant<std::monostate, std::int16_t, std::int32_t, bool, std::u16string,
                                std::shared_ptr<Picture>>;

enum class StoreErrorKind {
  kFailure,       // the store itself could not read or write
  kTypeMismatch,  // the stored value is of a kind the setting cannot take
  kOverflow,      // a number that does not fit the setting
};

// A setting that could not be read, written or converted, with the key it happened at.
class StoreError : public std::runtime_error {
 public:
  StoreError(StoreErrorKind kind, std::u16string_view key, const std::string& reason);
  StoreErrorKind Kind() const { return kind_; }
  const std::u16string& Key() const { return key_; }

 private:
  StoreErrorKind kind_;
  std::u16string key_;
};

// Whether two stored values are the same setting, as WriteValue decides whether a value is its
// default. Numbers compare by value whatever their width, and a boolean counts as −1 or 0: so
// 16-bit 1 equals 32-bit 1, true equals −1, and true does not equal 1. Texts compare exactly,
// pictures by identity. A number never equals a text, and none equals only none.
bool SameStoreValue(const StoreValue& a, const StoreValue& b);

// For messages and test output: "none", "16-bit 5", "32-bit 5", "True", "text \"Go\"", "picture".
std::string DescribeStoreValue(const StoreValue& value);

// The conversions a setting applies to what it reads. Each raises StoreError naming `key` when
// the value does not convert. None reads as 0, false, empty text or no picture. Text converts to
// a number when it is a decimal number, with optional sign, fraction and exponent, amid spaces;
// a fraction is rounded to the nearest integer, an exact half to the even one.
std::int32_t ToInt32(const StoreValue& value, std::u16string_view key);
// Any non-zero number is true; text may also be "True" or "False" in any letter case.
bool ToBoolean(const StoreValue& value, std::u16string_view key);
// Numbers become their decimal text, booleans "True" or "False".
std::u16string ToText(const StoreValue& value, std::u16string_view key);
PicturePtr ToPicture(const StoreValue& value, std::u16string_view key);

struct StoreEntry {
  std::u16string key;  // spelled as it was first stored
  StoreValue value;
};

// The keyed settings that a host keeps for one control instance. Keys match without regard to
// ASCII letter case, as stored design data spells them in lower case.
class PropertyStore {
 public:
  virtual ~PropertyStore() = default;

  // The stored value, or `defaultValue` when there is none under the key. A store kept
  // elsewhere (a file, the registry) overrides this and raises StoreError of kind kFailure when
  // it cannot read.
  virtual StoreValue ReadValue(std::u16string_view key, const StoreValue& defaultValue) const;
  // Stores the value, unless it is the same as `defaultValue` (SameStoreValue): then the key is
  // left without an entry, and an earlier entry under it goes, so that reading gives the default.
  virtual void WriteValue(std::u16string_view key, const StoreValue& value,
                          const StoreValue& defaultValue);

  // Fills the store as the host's stored data has it, with no regard to defaults. An entry
  // already under the key keeps its place and spelling and takes the new value.
  void Set(std::u16string_view key, StoreValue value);
  // Null when there is no entry under the key.
  const StoreValue* Find(std::u16string_view key) const;
  // In the order in which they were first stored.
  const std::vector<StoreEntry>& Entries() const { return entries_; }

 private:
  std::vector<StoreEntry>::iterator Lookup(std::u16string_view key);

  std::vector<StoreEntry> entries_;
};

}  // namespace brackwater
