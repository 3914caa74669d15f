#include "platform/gui/text_fit.h"

namespace brackwater {
namespace {

bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Whether a cut before `at` would part a surrogate pair.
bool SplitsPair(std::u16string_view text, std::size_t at) {
  return at > 0 && at < text.size() && IsHighSurrogate(text[at - 1]) && IsLowSurrogate(text[at]);
}

// The largest n in [0, most] for which fits(n) holds, fits(0) assumed; widths grow with the
// characters kept, so a binary search finds it.
template <typename Fits>
std::size_t Longest(std::size_t most, const Fits& fits) {
  std::size_t low = 0;
  std::size_t high = most;
  while (low < high) {
    const std::size_t mid = low + (high - low + 1) / 2;
    if (fits(mid)) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

std::u16string Joined(std::u16string_view head, std::u16string_view tail) {
  std::u16string line;
  line.reserve(head.size() + kEllipsis.size() + tail.size());
  line.append(head).append(kEllipsis).append(tail);
  return line;
}

// The beginning of `text` up to `end`, and its ending from `begin`, both moved off the middle
// of a surrogate pair.
std::u16string_view Head(std::u16string_view text, std::size_t end) {
  return text.substr(0, SplitsPair(text, end) ? end - 1 : end);
}
std::u16string_view Tail(std::u16string_view text, std::size_t begin) {
  return text.substr(SplitsPair(text, begin) ? begin + 1 : begin);
}

}  // namespace

std::u16string ShortenToWidth(std::u16string_view text, int width, const MeasureText& measure) {
  if (measure(text) <= width) return std::u16string(text);
  const std::size_t separator = text.find_last_of(u"/\\");
  if (separator != std::u16string_view::npos && separator > 0) {
    const std::u16string_view name = text.substr(separator);
    if (measure(Joined({}, name)) <= width) {
      const std::size_t kept = Longest(
          separator, [&](std::size_t n) { return measure(Joined(Head(text, n), name)) <= width; });
      return Joined(Head(text, kept), name);
    }
  }
  const auto line = [&](std::size_t n) {
    return Joined(Head(text, (n + 1) / 2), Tail(text, text.size() - n / 2));
  };
  return line(Longest(text.size() - 1, [&](std::size_t n) { return measure(line(n)) <= width; }));
}

std::size_t FirstFontThatFits(
    std::size_t fonts, std::span<const TextInWidth> texts,
    const std::function<int(std::size_t font, std::u16string_view)>& measure) {
  for (std::size_t font = 0; font + 1 < fonts; ++font) {
    bool all = true;
    for (const TextInWidth& text : texts) {
      if (measure(font, text.text) > text.width) {
        all = false;
        break;
      }
    }
    if (all) return font;
  }
  return fonts == 0 ? 0 : fonts - 1;
}

}  // namespace brackwater
