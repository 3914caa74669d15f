#include "xp_button/property_store.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

constexpr char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return AsciiLower(x) == AsciiLower(y); });
}

bool IsNone(const StoreValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return true;
  const auto* picture = std::get_if<std::shared_ptr<Picture>>(&value);
  return picture != nullptr && *picture == nullptr;
}

// A null picture is kept as none, so that an entry never holds two spellings of nothing.
StoreValue Normalized(StoreValue value) {
  if (IsNone(value)) return std::monostate{};
  return value;
}

std::optional<std::int64_t> NumberOf(const StoreValue& value) {
  if (const auto* v = std::get_if<std::int16_t>(&value)) return *v;
  if (const auto* v = std::get_if<std::int32_t>(&value)) return *v;
  if (const auto* v = std::get_if<bool>(&value)) return *v ? -1 : 0;
  return std::nullopt;
}

enum class Parse { kNumber, kNotNumber, kOutOfRange };

struct ParsedNumber {
  Parse outcome;
  double value;
};

// A decimal number amid spaces and tabs: sign, digits, fraction, exponent.
ParsedNumber ParseDecimal(std::u16string_view text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return {Parse::kNotNumber, 0};
    ascii.push_back(static_cast<char>(c));
  }
  bool negative = false;
  std::string_view rest = ascii;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  // from_chars would also take "inf" and "nan", which are no numbers here.
  if (rest.empty() ||
      !(std::isdigit(static_cast<unsigned char>(rest.front())) || rest.front() == '.')) {
    return {Parse::kNotNumber, 0};
  }
  double value = 0;
  const auto [end, error] =
      std::from_chars(rest.data(), rest.data() + rest.size(), value, std::chars_format::general);
  if (end != rest.data() + rest.size()) return {Parse::kNotNumber, 0};
  if (error == std::errc::result_out_of_range) {
    // Too small for a double is as good as zero; only the large end is an overflow.
    const std::size_t e = rest.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < rest.size() && rest[e + 1] == '-';
    if (tiny) return {Parse::kNumber, 0};
    return {Parse::kOutOfRange, 0};
  }
  if (error != std::errc()) return {Parse::kNotNumber, 0};
  return {Parse::kNumber, negative ? -value : value};
}

std::u16string AsciiText(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

[[noreturn]] void Mismatch(std::u16string_view key, const StoreValue& value, const char* wanted) {
  throw StoreError(StoreErrorKind::kTypeMismatch, key,
                   DescribeStoreValue(value) + " is not " + wanted);
}

}  // namespace

StoreError::StoreError(StoreErrorKind kind, std::u16string_view key, const std::string& reason)
    : std::runtime_error("\"" + Utf16ToUtf8(key) + "\": " + reason), kind_(kind), key_(key) {}

bool SameStoreValue(const StoreValue& a, const StoreValue& b) {
  if (IsNone(a) || IsNone(b)) return IsNone(a) && IsNone(b);
  const auto na = NumberOf(a);
  const auto nb = NumberOf(b);
  if (na || nb) return na && nb && *na == *nb;
  if (const auto* ta = std::get_if<std::u16string>(&a)) {
    const auto* tb = std::get_if<std::u16string>(&b);
    return tb != nullptr && *ta == *tb;
  }
  const auto* pa = std::get_if<std::shared_ptr<Picture>>(&a);
  const auto* pb = std::get_if<std::shared_ptr<Picture>>(&b);
  return pa != nullptr && pb != nullptr && *pa == *pb;
}

std::string DescribeStoreValue(const StoreValue& value) {
  if (IsNone(value)) return "none";
  if (const auto* v = std::get_if<std::int16_t>(&value)) return "16-bit " + std::to_string(*v);
  if (const auto* v = std::get_if<std::int32_t>(&value)) return "32-bit " + std::to_string(*v);
  if (const auto* v = std::get_if<bool>(&value)) return *v ? "True" : "False";
  if (const auto* v = std::get_if<std::u16string>(&value)) {
    return "text \"" + Utf16ToUtf8(*v) + "\"";
  }
  return "picture";
}

std::int32_t ToInt32(const StoreValue& value, std::u16string_view key) {
  if (IsNone(value)) return 0;
  if (const auto number = NumberOf(value)) return static_cast<std::int32_t>(*number);
  const auto* text = std::get_if<std::u16string>(&value);
  if (text == nullptr) Mismatch(key, value, "a number");
  const ParsedNumber parsed = ParseDecimal(*text);
  if (parsed.outcome == Parse::kNotNumber) Mismatch(key, value, "a number");
  // nearbyint rounds as the settings do: to nearest, an exact half to even.
  const double rounded = std::nearbyint(parsed.value);
  if (parsed.outcome == Parse::kOutOfRange || rounded < -2147483648.0 || rounded > 2147483647.0) {
    throw StoreError(StoreErrorKind::kOverflow, key,
                     DescribeStoreValue(value) + " does not fit in 32 bits");
  }
  return static_cast<std::int32_t>(rounded);
}

bool ToBoolean(const StoreValue& value, std::u16string_view key) {
  if (IsNone(value)) return false;
  if (const auto number = NumberOf(value)) return *number != 0;
  const auto* text = std::get_if<std::u16string>(&value);
  if (text == nullptr) Mismatch(key, value, "a boolean");
  if (EqualIgnoringAsciiCase(*text, u"True")) return true;
  if (EqualIgnoringAsciiCase(*text, u"False")) return false;
  const ParsedNumber parsed = ParseDecimal(*text);
  if (parsed.outcome == Parse::kNotNumber) Mismatch(key, value, "a boolean");
  if (parsed.outcome == Parse::kOutOfRange) {
    throw StoreError(StoreErrorKind::kOverflow, key,
                     DescribeStoreValue(value) + " is beyond any number");
  }
  return parsed.value != 0;
}

std::u16string ToText(const StoreValue& value, std::u16string_view key) {
  if (IsNone(value)) return {};
  if (const auto* v = std::get_if<std::u16string>(&value)) return *v;
  if (const auto* v = std::get_if<bool>(&value)) return *v ? u"True" : u"False";
  if (const auto number = NumberOf(value)) return AsciiText(std::to_string(*number));
  Mismatch(key, value, "text");
}

PicturePtr ToPicture(const StoreValue& value, std::u16string_view key) {
  if (IsNone(value)) return nullptr;
  if (const auto* v = std::get_if<std::shared_ptr<Picture>>(&value)) return *v;
  Mismatch(key, value, "a picture");
}

StoreValue PropertyStore::ReadValue(std::u16string_view key, const StoreValue& defaultValue) const {
  const StoreValue* stored = Find(key);
  return stored != nullptr ? *stored : defaultValue;
}

void PropertyStore::WriteValue(std::u16string_view key, const StoreValue& value,
                               const StoreValue& defaultValue) {
  if (!SameStoreValue(value, defaultValue)) {
    Set(key, value);
    return;
  }
  const auto found = Lookup(key);
  if (found != entries_.end()) entries_.erase(found);
}

void PropertyStore::Set(std::u16string_view key, StoreValue value) {
  const auto found = Lookup(key);
  if (found != entries_.end()) {
    found->value = Normalized(std::move(value));
  } else {
    entries_.push_back({std::u16string(key), Normalized(std::move(value))});
  }
}

const StoreValue* PropertyStore::Find(std::u16string_view key) const {
  const auto found = std::find_if(entries_.begin(), entries_.end(), [key](const StoreEntry& e) {
    return EqualIgnoringAsciiCase(e.key, key);
  });
  return found != entries_.end() ? &found->value : nullptr;
}

std::vector<StoreEntry>::iterator PropertyStore::Lookup(std::u16string_view key) {
  return std::find_if(entries_.begin(), entries_.end(),
                      [key](const StoreEntry& e) { return EqualIgnoringAsciiCase(e.key, key); });
}

}  // namespace brackwater
