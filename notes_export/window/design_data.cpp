#include "notes_export/window/design_data.h"

#include <charconv>
#include <limits>

#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

constexpr std::string_view kSpaces = " \t\r";

std::string_view Trim(std::string_view text) {
  const std::size_t start = text.find_first_not_of(kSpaces);
  if (start == text.npos) return {};
  return text.substr(start, text.find_last_not_of(kSpaces) - start + 1);
}

// The line without its comment; a "#" inside quotes is text.
std::string_view WithoutComment(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == '#' && !quoted) return line.substr(0, i);
  }
  return line;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  DesignData Parse() {
    DesignData data;
    std::vector<std::string_view> words;
    if (!NextLine(words) || words.size() != 3 || words[0] != "Begin") {
      Fail("the data must begin with \"Begin Window NAME\"");
    }
    data.name = Utf8ToUtf16(words[2]);
    while (NextLine(words)) {
      if (words[0] == "End") {
        if (NextLine(words)) Fail("nothing may follow the window's \"End\"");
        return data;
      }
      if (words[0] == "Begin") {
        if (words.size() != 3) Fail("a control begins with \"Begin KIND NAME\"");
        data.controls.push_back(Control(Utf8ToUtf16(words[1]), Utf8ToUtf16(words[2])));
      } else {
        Setting(data.settings);
      }
    }
    Fail("the window's \"End\" is missing");
  }

 private:
  DesignControl Control(std::u16string kind, std::u16string name) {
    DesignControl control{std::move(kind), std::move(name), {}, {}};
    std::vector<std::string_view> words;
    while (NextLine(words)) {
      if (words[0] == "End") return control;
      if (words[0] == "Begin") Fail("controls do not nest");
      const auto [key, value] = KeyAndValue();
      if (std::int32_t* place = PlaceField(control.place, key)) {
        const auto* number = std::get_if<std::int32_t>(&value);
        if (number == nullptr) Fail("a position is a whole number of twips");
        *place = *number;
      } else {
        control.settings.Set(Utf8ToUtf16(key), value);
      }
    }
    Fail("a control's \"End\" is missing");
  }

  static std::int32_t* PlaceField(ControlPlace& place, std::string_view key) {
    if (key == "Left") return &place.left;
    if (key == "Top") return &place.top;
    if (key == "Width") return &place.width;
    if (key == "Height") return &place.height;
    if (key == "TabIndex") return &place.tabIndex;
    return nullptr;
  }

  void Setting(PropertyStore& settings) {
    const auto [key, value] = KeyAndValue();
    settings.Set(Utf8ToUtf16(key), value);
  }

  std::pair<std::string_view, StoreValue> KeyAndValue() {
    const std::size_t equals = line_.find('=');
    if (equals == line_.npos) Fail("a setting is \"key = value\"");
    const std::string_view key = Trim(line_.substr(0, equals));
    if (key.empty() || key.find_first_of(kSpaces) != key.npos) Fail("a key is one word");
    return {key, Value(Trim(line_.substr(equals + 1)))};
  }

  StoreValue Value(std::string_view text) {
    if (text == "True") return true;
    if (text == "False") return false;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
      std::string value;
      for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '"') {
          if (text[i + 1] != '"' || i + 2 == text.size()) Fail("a quote inside text is doubled");
          ++i;
        }
        value += text[i];
      }
      return Utf8ToUtf16(value);
    }
    if (text.starts_with("&H") && text.ends_with("&") && text.size() > 3) {
      std::uint32_t bits = 0;
      const char* end = text.data() + text.size() - 1;
      const auto [at, error] = std::from_chars(text.data() + 2, end, bits, 16);
      if (error != std::errc{} || at != end) Fail("not a number in hex: " + std::string(text));
      return static_cast<std::int32_t>(bits);
    }
    std::int32_t number = 0;
    const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{} || at != text.data() + text.size() || text.empty()) {
      Fail("not a value: " + std::string(text));
    }
    return number;
  }

  // The next line with something on it, split into words; false at the end of the text.
  bool NextLine(std::vector<std::string_view>& words) {
    while (position_ <= text_.size()) {
      const std::size_t end = std::min(text_.find('\n', position_), text_.size());
      line_ = Trim(WithoutComment(text_.substr(position_, end - position_)));
      position_ = end + 1;
      ++lineNumber_;
      if (line_.empty()) continue;
      words.clear();
      for (std::size_t start = 0; start < line_.size();) {
        const std::size_t stop = std::min(line_.find_first_of(kSpaces, start), line_.size());
        words.push_back(line_.substr(start, stop - start));
        start = line_.find_first_not_of(kSpaces, stop);
        if (start == line_.npos) break;
      }
      return true;
    }
    return false;
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw DesignDataError(lineNumber_, what);
  }

  std::string_view text_;
  std::size_t position_ = 0;
  std::string_view line_;
  int lineNumber_ = 0;
};

}  // namespace

DesignDataError::DesignDataError(int line, const std::string& what)
    : std::runtime_error("design data, line " + std::to_string(line) + ": " + what), line_(line) {}

const DesignControl& DesignData::Control(std::u16string_view controlName) const {
  for (const DesignControl& control : controls) {
    if (control.name == controlName) return control;
  }
  throw DesignDataError(0, "no control named " + Utf16ToUtf8(controlName));
}

DesignData ParseDesignData(std::string_view text) { return Parser(text).Parse(); }

}  // namespace brackwater
