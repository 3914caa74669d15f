#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "platform/gui/device_context.h"
#include "platform/gui/headless_host.h"
#include "platform/gui/text_fit.h"
#include "tests/support/fixed_text_engine.h"
#include "tests/support/host_contract.h"

namespace brackwater {
namespace {

using Map = std::vector<std::string>;
constexpr Rgb kRed = 0x0000FF;
constexpr Rgb kBlue = 0xFF0000;

// A white surface of w x h after `draw`, one character per pixel: '.' white (the highlight too),
// '#' red, 'b' blue, 'f' the button face, 's' the shadow, 'k' black, '?' any other colour.
Map Drawn(int w, int h, const std::function<void(DeviceContext&)>& draw) {
  Image image(w, h, 0xFFFFFFFF);
  const ClassicColors colors;
  FixedTextEngine text;
  DeviceContext dc(image, colors, text);
  draw(dc);
  const Rgb legend[] = {0xFFFFFF, kRed, kBlue, 0xC8D0D4, 0x808080, 0};
  Map drawn(static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      drawn[y] += ".#bfsk?"[std::ranges::find(legend, dc.GetPixel(x, y)) - std::begin(legend)];
    }
  }
  return drawn;
}

// The button's painting (tests/xp_button) pins every call it makes at its usual sizes; these are
// the rest: sloped lines, clipping, coordinates at the limits, and the disabled look's ink.
TEST(DeviceContext, EachCallDrawsItsPixelsAndClipsToTheImage) {
  // Lines leave out their end point, either way; sloped, halves go away from the start.
  EXPECT_EQ(Drawn(7, 9,
                  [](DeviceContext& dc) {
                    dc.Line(0, 0, 4, 0, kRed);
                    dc.Line(6, 1, 2, 1, kRed);
                    dc.Line(0, 2, 0, 5, kRed);
                    dc.Line(4, 3, 4, 3, kRed);
                    dc.Line(0, 6, 6, 9, kRed);
                    dc.Line(6, 5, 4, 2, kBlue);
                  }),
            (Map{"####...", "...####", "#......", "#....b.", "#....b.", "......b", "#......",
                 ".##....", "...##.."}));
  // Sloped lines clipped; lines across the whole range; beyond GDI's range none; clipped calls.
  EXPECT_EQ(Drawn(4, 3,
                  [](DeviceContext& dc) {
                    dc.Line(-2, -1, 6, 3, kRed);
                    dc.Line(INT_MIN, 1, INT_MAX, 1, kBlue);
                    dc.Line(3, INT_MAX, 3, INT_MIN, kBlue);
                    dc.Line(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kRed);
                    dc.Line(1, 5, 2, -3, kRed);
                    dc.Box(INT_MIN, 2, INT_MAX, INT_MAX, kBlue);
                    dc.FrameRect({-1, -1, 1, 99}, kBlue);
                    dc.Line(-200000000, 0, 200000000, 1, kRed);
                  }),
            (Map{"b.#b", "bb#b", "bbbb"}));
  // Disabled: ink embossed, highlight right and down, shadow in place; clipped. Ink: black,
  // light grey, half-opaque near-white one step too dark. Not: white, nearly white, black too
  // transparent. The same image as a picture, bottom right: what is not opaque is blended.
  Image ink(3, 2);
  ink.pixels = {0xFF000000, 0xFFFFFFFF, 0x7F000000, 0xFFC0C0C0, 0xFFF0F8F0, 0x80EFFFFF};
  EXPECT_EQ(Drawn(9, 4,
                  [&ink](DeviceContext& dc) {
                    dc.FillRect({0, 0, 9, 4}, 0xC8D0D4);
                    dc.DrawDisabled(1, 1, ink);
                    dc.DrawDisabled(7, -1, ink);
                    dc.DrawPicture(5, 2, 3, 2, ink, 3, 2);
                  }),
            (Map{"fffffffs.", "fsffffff.", "fs.sfk.?f", "ff.f.???f"}));
}

TEST(ShortenToWidth, KeepsWhatFitsAndCutsTheMiddleOfWhatDoesNot) {
  // Every 16-bit unit is one pixel wide, so that widths count characters.
  const auto units = [](std::u16string_view text) { return static_cast<int>(text.size()); };
  const struct {
    const char16_t* text;
    int width;
    const char16_t* shown;
  } rows[] = {
      {u"File saved", 10, u"File saved"},
      {u"File saved", 9, u"File…aved"},
      // A path keeps its beginning and its file name.
      {u"/home/me/notes/old/notes.adr", 20, u"/home/me/…/notes.adr"},
      {u"C:\\Users\\me\\AppData\\Opera\\notes.adr", 21, u"C:\\Users\\m…\\notes.adr"},
      {u"/home/me/notes.adr", 11, u"…/notes.adr"},
      // A file name too long for the line is cut like any text.
      {u"/home/me/notes.adr", 10, u"/home….adr"},
      // Never half of a character beyond the 16-bit range: the cut moves off the pair.
      {u"ab\U0001F600cdef", 7, u"ab…def"},
      {u"abcd\U0001F600f", 5, u"abc…f"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ShortenToWidth(row.text, row.width, units), row.shown) << row.width;
}

TEST(FirstFontThatFits, TakesTheFirstFontInWhichEveryTextFits) {
  // Font n draws every character 7 - n pixels wide.
  const auto measure = [](std::size_t font, std::u16string_view text) {
    return static_cast<int>((7 - font) * text.size());
  };
  EXPECT_EQ(FirstFontThatFits(5, std::vector<TextInWidth>{{u"Step 1", 36}, {u"Go", 10}}, measure),
            2u);
  EXPECT_EQ(FirstFontThatFits(5, std::vector<TextInWidth>{{u"Step 1", 5}}, measure), 4u);
  EXPECT_EQ(FirstFontThatFits(5, {}, measure), 0u);
}

struct HeadlessSubject final : testing::HostContractSubject {
  ControlWindow& Control() override { return host; }
  void PointerOnControl(bool on) override { host.SetPointerOver(on); }
  void SetControlShown(bool shown) override { host.SetShown(shown); }
  void WhileModalDialogOpen(const std::function<void()>& check) override {
    host.SetBlocked(true);
    check();
    host.SetBlocked(false);
  }

  const ClassicColors colors{};
  FixedTextEngine text;
  HeadlessControlHost host{u"Command1", colors, text, 80, 30};
};

TEST(HeadlessControlHost, FollowsTheWindowFromPointRule) {
  testing::ExpectWindowFromPointRule([] { return std::make_unique<HeadlessSubject>(); });
}

}  // namespace
}  // namespace brackwater
