#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace brackwater {

// The width in pixels of a run of text in one line, as some font draws it.
using MeasureText = std::function<int(std::u16string_view text)>;

// What stands for the part of a text that a line leaves out.
inline constexpr std::u16string_view kEllipsis = u"\u2026";

// The text as one line of at most `width` pixels: whole when it fits, otherwise shortened in the
// middle with an ellipsis. A path (a text with "/" or "\") keeps as much of its beginning as
// fits and its file name whole, with the separator before it: "/home/me/…/notes.adr". When even
// that does not fit, or the text is no path, both ends keep as much as fits, the beginning a
// character more than the end. A character of two 16-bit units is never cut in half.
std::u16string ShortenToWidth(std::u16string_view text, int width, const MeasureText& measure);

// A text and the width that it must fit in.
struct TextInWidth {
  std::u16string_view text;
  int width = 0;
};

// The first of `fonts` candidate fonts, in the order of preference, in which every text fits
// its width, by `measure(font, text)`; the last one when none does.
std::size_t FirstFontThatFits(
    std::size_t fonts, std::span<const TextInWidth> texts,
    const std::function<int(std::size_t font, std::u16string_view)>& measure);

}  // namespace brackwater
