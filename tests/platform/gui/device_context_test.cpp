#include "platform/gui/device_context.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/fixed_text_engine.h"

namespace brackwater {
namespace {

constexpr Rgb kWhite = 0x00FFFFFF;
constexpr Rgb kRed = 0x000000FF;
constexpr Rgb kBlue = 0x00FF0000;
constexpr Rgb kMagenta = 0x00FF00FF;
constexpr Rgb kFace = 0x00C8D0D4;
// The same colours as an image holds them, 0xAARRGGBB.
constexpr std::uint32_t kR = 0xFFFF0000;
constexpr std::uint32_t kG = 0xFF00FF00;
constexpr std::uint32_t kB = 0xFF0000FF;
constexpr std::uint32_t kM = 0xFFFF00FF;

// One character per pixel: '.' white (the highlight too), '#' red, 'g' green, 'b' blue, 'm'
// magenta, 'p' red half over white, 'f' the button face, 's' the shadow, 'k' black, 'o' the
// colour 0x123456 and 'i' its inverse.
char Symbol(Rgb color) {
  switch (color) {
    case kWhite:
      return '.';
    case kRed:
      return '#';
    case 0x0000FF00:
      return 'g';
    case kBlue:
      return 'b';
    case kMagenta:
      return 'm';
    case 0x007F7FFF:
      return 'p';
    case kFace:
      return 'f';
    case 0x00808080:
      return 's';
    case 0x00EDCBA9:
      return 'i';
    case 0x00123456:
      return 'o';
    case 0:
      return 'k';
    default:
      return '?';
  }
}

using Map = std::vector<std::string>;

struct Surface {
  Surface(int w, int h, Rgb background) : image(w, h), dc(image, colors, text) {
    dc.FillRect({0, 0, w, h}, background);
  }
  Map Drawn() const {
    Map rows(static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x)
        rows[static_cast<std::size_t>(y)] += Symbol(dc.GetPixel(x, y));
    }
    return rows;
  }
  Image image;
  ClassicColors colors;
  FixedTextEngine text;
  DeviceContext dc;
};

Image ImageOf(int w, int h, std::vector<std::uint32_t> pixels) {
  Image image(w, h);
  image.pixels = std::move(pixels);
  return image;
}

TEST(DeviceContext, EachCallDrawsItsPixelsAndClipsToTheImage) {
  // Source images: r m b / m g m, and a strip r g b (transparent) blue.
  const Image rmb = ImageOf(3, 2, {kR, kM, kB, kM, kG, kM});
  const Image strip = ImageOf(4, 1, {kR, kG, kB, 0x00FF0000});
  const Image halfRed = ImageOf(2, 1, {kB, 0x80FF0000});
  // Ink: black, light grey, half-opaque near-white one step too dark. Not: white, nearly white,
  // black too transparent.
  const Image ink =
      ImageOf(3, 2, {0xFF000000, 0xFFFFFFFF, 0x7F000000, 0xFFC0C0C0, 0xFFF0F8F0, 0x80EFFFFF});
  const struct {
    const char* name;
    int w, h;
    Rgb background;
    std::function<void(DeviceContext&)> draw;
    Map expected;
  } rows[] = {
      {"fill: right and bottom left out; off the image, empty, inverted",
       6,
       3,
       kWhite,
       [](DeviceContext& dc) {
         dc.FillRect({1, 1, 3, 2}, kRed);
         dc.FillRect({-3, -3, 1, 1}, kRed);
         dc.FillRect({5, 2, 99, 99}, kRed);
         dc.FillRect({3, 0, 3, 3}, kRed);
         dc.FillRect({4, 2, 2, 3}, kRed);
       },
       {"#.....", ".##...", ".....#"}},
      {"frame inside its rectangle; one wide; clipped; empty; inverted",
       9,
       6,
       kWhite,
       [](DeviceContext& dc) {
         dc.FrameRect({0, 0, 4, 4}, kRed);
         dc.FrameRect({5, 0, 6, 4}, kRed);
         dc.FrameRect({7, 5, 10, 6}, kRed);
         dc.FrameRect({7, 1, 7, 4}, kRed);
         dc.FrameRect({8, 4, 7, 1}, kRed);
       },
       {"####.#...", "#..#.#...", "#..#.#...", "####.#...", ".........", ".......##"}},
      {"frames beyond the edges: the sunken border",
       5,
       4,
       kWhite,
       [](DeviceContext& dc) {
         dc.FrameRect({0, 0, 6, 5}, kRed);
         dc.FrameRect({-1, -1, 4, 3}, kBlue);
       },
       {"###b#", "#..b.", "bbbb.", "#...."}},
      {"lines leave out their end point, either way; halves away from the start",
       7,
       9,
       kWhite,
       [](DeviceContext& dc) {
         dc.Line(0, 0, 4, 0, kRed);
         dc.Line(6, 1, 2, 1, kRed);
         dc.Line(0, 2, 0, 5, kRed);
         dc.Line(2, 5, 2, 2, kRed);
         dc.Line(4, 3, 4, 3, kRed);
         dc.Line(0, 6, 6, 9, kRed);
       },
       {"####...", "...####", "#......", "#.#....", "#.#....", "..#....", "#......", ".##....",
        "...##.."}},
      {"a sloped line backwards",
       7,
       4,
       kWhite,
       [](DeviceContext& dc) { dc.Line(6, 3, 0, 0, kRed); },
       {".#.....", "..##...", "....##.", "......#"}},
      {"a sloped line clipped, and lines over the whole coordinate range",
       4,
       3,
       kWhite,
       [](DeviceContext& dc) {
         dc.Line(-2, -1, 6, 3, kRed);
         dc.Line(INT_MIN, 1, INT_MAX, 1, kBlue);
         dc.Line(3, INT_MAX, 3, INT_MIN, kBlue);
         dc.Line(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kMagenta);  // beyond GDI's range
       },
       {"#..b", "bbbb", "...b"}},
      {"boxes include both corners, in either order",
       8,
       5,
       kWhite,
       [](DeviceContext& dc) {
         dc.Box(0, 0, 1, 1, kRed);
         dc.Box(4, 4, 3, 2, kRed);
         dc.Box(6, 0, 7, 5, kRed);
         dc.Box(0, 2, 2, 4, kBlue);
       },
       {"##....##", "##....##", "bbb##.##", "b.b##.##", "bbb##.##"}},
      {"focus cue: every other edge pixel, anchored at the origin",
       8,
       6,
       0x00123456,
       [](DeviceContext& dc) {
         dc.DrawFocusRect({1, 1, 7, 5});
       },
       {"oooooooo", "oioioioo", "ooooooio", "oioooooo", "ooioioio", "oooooooo"}},
      {"focus cue twice: undone",
       4,
       3,
       0x00123456,
       [](DeviceContext& dc) {
         dc.DrawFocusRect({0, 0, 4, 3});
         dc.DrawFocusRect({0, 0, 4, 3});
       },
       {"oooo", "oooo", "oooo"}},
      {"focus cue with odd left + top, clipped, empty",
       6,
       4,
       kWhite,
       [](DeviceContext& dc) {
         dc.DrawFocusRect({0, 1, 5, 3});
         dc.DrawFocusRect({5, -2, 9, 2});
         dc.DrawFocusRect({2, 2, 2, 4});
       },
       {"......", ".k.k.k", "k.k.k.", "......"}},
      {"transparent copy leaves out its 0x00BBGGRR colour",
       5,
       3,
       kWhite,
       [&](DeviceContext& dc) { dc.TransparentCopy(1, 1, 3, 2, rmb, 0, 0, kMagenta); },
       {".....", ".#.b.", "..g.."}},
      {"transparent copy: blue, and a system colour that matches nothing",
       3,
       3,
       kWhite,
       [&](DeviceContext& dc) {
         dc.TransparentCopy(0, 0, 3, 1, rmb, 0, 0, kBlue);
         dc.TransparentCopy(0, 1, 3, 2, rmb, 0, 0, 0x8000000F);
       },
       {"#m.", "#mb", "mgm"}},
      {"transparent copy clips both images",
       4,
       3,
       kWhite,
       [&](DeviceContext& dc) {
         dc.TransparentCopy(-1, -1, 3, 2, rmb, 0, 0, kMagenta);
         dc.TransparentCopy(2, 1, 5, 5, rmb, 1, 0, kMagenta);
         dc.TransparentCopy(0, 2, 2, 1, rmb, -1, 0, kMagenta);
       },
       {"g...", "...b", ".#g."}},
      {"picture: alpha blended, scaled by the nearest pixel",
       5,
       3,
       kWhite,
       [&](DeviceContext& dc) { dc.DrawPicture(0, 0, 4, 2, halfRed, 2, 1); },
       {"bbpp.", "bbpp.", "....."}},
      {"picture: shrunk, clipped, stretched, empty source, transparent",
       4,
       2,
       kWhite,
       [&](DeviceContext& dc) {
         dc.DrawPicture(0, 0, 2, 1, strip, 4, 1);
         dc.DrawPicture(-1, 1, 3, 1, strip, 3, 1);
         dc.DrawPicture(3, 0, 1, 2, strip, 1, 1);
         dc.DrawPicture(2, 0, 1, 1, strip, 0, 1);
         dc.DrawPicture(2, 1, 1, 1, strip, 6, 1);
       },
       {"g..#", "gb.#"}},
      {"disabled: ink embossed, highlight right and down, shadow in place",
       5,
       4,
       kFace,
       [&](DeviceContext& dc) { dc.DrawDisabled(1, 1, ink); },
       {"fffff", "fsfff", "fs.sf", "ff.f."}},
      {"disabled, clipped",
       4,
       3,
       kFace,
       [&](DeviceContext& dc) { dc.DrawDisabled(-1, -1, ink); },
       {".sff", ".f.f", "ffff"}},
  };
  for (const auto& row : rows) {
    Surface s(row.w, row.h, row.background);
    row.draw(s.dc);
    EXPECT_EQ(s.Drawn(), row.expected) << row.name;
  }
  Surface s(2, 1, kWhite);
  s.dc.SetPixel(1, 0, 0x00332211);
  for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 1}}) s.dc.SetPixel(x, y, kRed);
  EXPECT_EQ(s.image.pixels, (std::vector<std::uint32_t>{0xFFFFFFFF, 0xFF112233}));
  EXPECT_EQ(s.dc.GetPixel(1, 0), 0x00332211u);
  EXPECT_EQ(s.dc.GetPixel(2, 0), 0xFFFFFFFFu);
  EXPECT_EQ(s.dc.GetPixel(0, -1), 0xFFFFFFFFu);
}

// Text through the fixed cells: each character 6 x 13, its glyph a block over columns 1 to 4
// and rows 2 to 10 of its cell, an underline on the cell's last row.
constexpr unsigned kFormat = TextFormat::kWordBreak | TextFormat::kVCenter | TextFormat::kCenter;

TEST(DeviceContext, MeasuredTextCountsShownCharactersLinesAndMargins) {
  Surface s(1, 1, kWhite);
  const struct {
    std::u16string text;
    Rect rect;
    Rect measured;
  } rows[] = {
      {u"OK", {4, 4, 76, 20}, {4, 4, 18, 17}},
      {u"&Save", {0, 0, 80, 20}, {0, 0, 26, 13}},
      {u"R&&D &Go", {0, 0, 80, 20}, {0, 0, 38, 13}},
      {u"&&&x", {0, 0, 80, 20}, {0, 0, 14, 13}},
      // 48 pixels of "Save all" fit exactly between the margins of a 50-pixel rectangle.
      {u"Save all files", {0, 0, 50, 20}, {0, 0, 50, 26}},
      {u"Save all files", {0, 0, 49, 20}, {0, 0, 32, 39}},
      // A word wider than the rectangle is not broken; the measured block grows to hold it.
      {u"Abcdefghij k", {2, 3, 20, 20}, {2, 3, 64, 29}},
      {u"a\r\nbb\ncc c\r", {0, 0, 80, 20}, {0, 0, 26, 39}},
      {u"a\n\nb", {0, 0, 80, 20}, {0, 0, 8, 39}},
  };
  for (const auto& row : rows) {
    Rect rect = row.rect;
    CaptionParams params;
    const int height = s.dc.DrawText(row.text, rect, kFormat | TextFormat::kCalcRect, params);
    const std::string name(row.text.begin(), row.text.end());
    EXPECT_EQ(rect, row.measured) << name;
    EXPECT_EQ(height, row.measured.bottom - row.measured.top) << name;
    EXPECT_EQ(params.lengthDrawn, static_cast<int>(row.text.size())) << name;
  }
}

TEST(DeviceContext, TextIsCentredPerLineUnderlinedAndClipped) {
  const struct {
    std::u16string text;
    Rect rect;
    unsigned format;
    int height;
    std::vector<std::pair<int, std::string>> inked;  // pixel rows, red where the text is
  } rows[] = {
      // Line 1 fills the space between the margins; line 2 (30 pixels) starts 9 further in.
      {u"Save all files",
       {1, 1, 51, 27},
       kFormat,
       26,
       {{2, std::string(52, '.')},
        {7, "...####..####..####..####........####..####..####..."},
        {12, std::string(52, '.')},
        {20, "............####..####..####..####..####............"}}},
      {u"&a&&b\n&c&d",
       {0, 0, 40, 28},
       0,
       26,
       {{6, "..####..####..####......................"},
        {12, ".######................................."},
        {25, ".......######..........................."}}},
      {u"abc", {2, 0, 12, 8}, 0, 13, {{6, "....####..##........"}, {8, std::string(20, '.')}}},
  };
  for (const auto& row : rows) {
    const int width = static_cast<int>(row.inked[0].second.size());
    Surface s(width, 28, kWhite);
    s.dc.SetTextColor(kRed);
    Rect rect = row.rect;
    CaptionParams params;
    EXPECT_EQ(s.dc.DrawText(row.text, rect, row.format, params), row.height);
    EXPECT_EQ(rect, row.rect) << "drawing leaves the rectangle alone";
    for (const auto& [y, inked] : row.inked) {
      std::string drawn = s.Drawn()[static_cast<std::size_t>(y)];
      EXPECT_EQ(drawn, inked) << std::string(row.text.begin(), row.text.end()) << " row " << y;
    }
  }
}

}  // namespace
}  // namespace brackwater
