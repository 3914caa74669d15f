#include "platform/gui/text_fit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brackwater {
namespace {

// Every 16-bit unit is one pixel wide, so that widths count characters.
int Units(std::u16string_view text) { return static_cast<int>(text.size()); }

TEST(ShortenToWidth, KeepsWhatFitsAndCutsTheMiddleOfWhatDoesNot) {
  const struct {
    const char16_t* text;
    int width;
    const char16_t* shown;
  } rows[] = {
      {u"File saved", 10, u"File saved"},
      {u"File saved", 9, u"File…aved"},
      {u"Processing...", 6, u"Pro….."},
      // A path keeps its beginning and its file name.
      {u"/home/me/notes/old/notes.adr", 20, u"/home/me/…/notes.adr"},
      {u"C:\\Users\\me\\AppData\\Opera\\notes.adr", 21, u"C:\\Users\\m…\\notes.adr"},
      {u"/home/me/notes.adr", 11, u"…/notes.adr"},
      // A file name too long for the line is cut like any text.
      {u"/home/me/notes.adr", 10, u"/home….adr"},
      {u"/a-very-long-name.adr", 9, u"/a-v….adr"},
      {u"abc", 0, u"…"},
      // Never half of a character beyond the 16-bit range: the cut moves off the pair.
      {u"ab\U0001F600cdef", 7, u"ab…def"},
      {u"abcd\U0001F600f", 5, u"abc…f"},
      {u"/x/\U0001F600\U0001F600/n.txt", 11, u"/x/…/n.txt"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ShortenToWidth(row.text, row.width, Units), row.shown)
        << std::u16string(row.text).size() << " in " << row.width;
  }
}

TEST(FirstFontThatFits, TakesTheFirstFontInWhichEveryTextFits) {
  // Font n draws every character 7 - n pixels wide.
  const auto measure = [](std::size_t font, std::u16string_view text) {
    return static_cast<int>((7 - font) * text.size());
  };
  const std::vector<TextInWidth> texts{{u"Step 1", 30}, {u"Go", 12}};
  EXPECT_EQ(FirstFontThatFits(5, texts, measure), 2u);
  const std::vector<TextInWidth> tooWide{{u"Step 1", 5}};
  EXPECT_EQ(FirstFontThatFits(5, tooWide, measure), 4u);
  EXPECT_EQ(FirstFontThatFits(5, {}, measure), 0u);
}

}  // namespace
}  // namespace brackwater
