#include "platform/gui/device_context.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fixed_text_engine.h"

namespace brackwater {
namespace {

constexpr Rgb kWhite = 0x00FFFFFF;
constexpr Rgb kRed = 0x000000FF;
constexpr Rgb kGreen = 0x0000FF00;
constexpr Rgb kBlue = 0x00FF0000;
constexpr Rgb kMagenta = 0x00FF00FF;
constexpr Rgb kFace = 0x00C8D0D4;
constexpr Rgb kHighlight = 0x00FFFFFF;
constexpr Rgb kShadow = 0x00808080;

// Image pixels are 0xAARRGGBB; these are the same colours as the image holds them.
constexpr std::uint32_t kRedPixel = 0xFFFF0000;
constexpr std::uint32_t kGreenPixel = 0xFF00FF00;
constexpr std::uint32_t kBluePixel = 0xFF0000FF;
constexpr std::uint32_t kMagentaPixel = 0xFFFF00FF;

using Legend = std::vector<std::pair<Rgb, char>>;

// One character per pixel, so that each test can spell out the image it expects.
std::vector<std::string> Map(DeviceContext& dc, const Legend& legend) {
  std::vector<std::string> rows;
  for (int y = 0; y < dc.Target().height; ++y) {
    std::string row;
    for (int x = 0; x < dc.Target().width; ++x) {
      char c = '?';
      for (const auto& [color, symbol] : legend) {
        if (dc.GetPixel(x, y) == color) c = symbol;
      }
      row += c;
    }
    rows.push_back(row);
  }
  return rows;
}

// A surface of the given size in one colour, with the classic colours and fixed-cell text.
class Surface {
 public:
  Surface(int w, int h, Rgb background = kWhite) : image_(w, h), dc_(image_, colors_, text_) {
    dc_.FillRect({0, 0, w, h}, background);
  }
  DeviceContext& dc() { return dc_; }
  std::vector<std::string> Map(const Legend& legend = {{kWhite, '.'}, {kRed, '#'}}) {
    return brackwater::Map(dc_, legend);
  }

 private:
  Image image_;
  ClassicColors colors_;
  FixedTextEngine text_;
  DeviceContext dc_;
};

TEST(DeviceContextTest, FillExcludesRightAndBottomAndClipsToTheImage) {
  Surface s(6, 5);
  s.dc().FillRect({1, 1, 3, 2}, kRed);
  s.dc().FillRect({-3, -3, 1, 1}, kRed);  // only (0, 0) is on the image
  s.dc().FillRect({5, 4, 99, 99}, kRed);
  s.dc().FillRect({3, 3, 3, 5}, kRed);  // empty
  s.dc().FillRect({4, 3, 2, 5}, kRed);  // inverted
  EXPECT_EQ(s.Map(), (std::vector<std::string>{
                         "#.....",
                         ".##...",
                         "......",
                         "......",
                         ".....#",
                     }));
}

TEST(DeviceContextTest, FrameLiesInsideItsRectangle) {
  Surface s(9, 6);
  s.dc().FrameRect({0, 0, 4, 4}, kRed);
  s.dc().FrameRect({5, 0, 6, 4}, kRed);   // one pixel wide: a solid line
  s.dc().FrameRect({7, 5, 10, 6}, kRed);  // one pixel high, right part off the image
  s.dc().FrameRect({7, 1, 7, 4}, kRed);   // empty
  s.dc().FrameRect({8, 4, 7, 1}, kRed);   // inverted
  EXPECT_EQ(s.Map(), (std::vector<std::string>{
                         "####.#...",
                         "#..#.#...",
                         "#..#.#...",
                         "####.#...",
                         ".........",
                         ".......##",
                     }));
}

TEST(DeviceContextTest, FrameBeyondTheEdgesDrawsOnlyItsVisibleSides) {
  // The classic sunken border: the second frame's right and bottom edges fall off the surface.
  Surface s(5, 4);
  s.dc().FrameRect({0, 0, 6, 5}, kRed);
  s.dc().FrameRect({-1, -1, 4, 3}, kBlue);
  EXPECT_EQ(s.Map({{kWhite, '.'}, {kRed, '#'}, {kBlue, 'b'}}), (std::vector<std::string>{
                                                                   "###b#",
                                                                   "#..b.",
                                                                   "bbbb.",
                                                                   "#....",
                                                               }));
}

TEST(DeviceContextTest, LinesLeaveOutTheirEndPoint) {
  Surface s(7, 9);
  s.dc().Line(0, 0, 4, 0, kRed);
  s.dc().Line(6, 1, 2, 1, kRed);  // right to left: starts at 6, stops before 2
  s.dc().Line(0, 2, 0, 5, kRed);
  s.dc().Line(2, 5, 2, 2, kRed);  // upward
  s.dc().Line(4, 3, 4, 3, kRed);  // a line to its own start draws nothing
  s.dc().Line(0, 6, 6, 9, kRed);  // two across per step down, halves away from the start
  EXPECT_EQ(s.Map(), (std::vector<std::string>{
                         "####...",
                         "...####",
                         "#......",
                         "#.#....",
                         "#.#....",
                         "..#....",
                         "#......",
                         ".##....",
                         "...##..",
                     }));
}

TEST(DeviceContextTest, SlopedLinesAreClippedAndReversible) {
  Surface s(7, 4);
  s.dc().Line(6, 3, 0, 0, kRed);
  EXPECT_EQ(s.Map(), (std::vector<std::string>{
                         ".#.....",
                         "..##...",
                         "....##.",
                         "......#",
                     }));
  Surface clipped(4, 3);
  clipped.dc().Line(-2, -1, 6, 3, kRed);  // enters at the top-left corner, leaves on the right
  EXPECT_EQ(clipped.Map(), (std::vector<std::string>{
                               "#...",
                               ".##.",
                               "...#",
                           }));
}

TEST(DeviceContextTest, LinesAcrossTheWholeCoordinateRangeStayOnTheImage) {
  Surface s(4, 3);
  s.dc().Line(INT_MIN, 1, INT_MAX, 1, kRed);
  s.dc().Line(3, INT_MAX, 3, INT_MIN, kRed);
  s.dc().Line(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kRed);  // beyond GDI's range: nothing
  EXPECT_EQ(s.Map(), (std::vector<std::string>{
                         "...#",
                         "####",
                         "...#",
                     }));
}

TEST(DeviceContextTest, BoxIncludesBothCorners) {
  Surface s(8, 5);
  s.dc().Box(0, 0, 1, 1, kRed);  // the XP face's corner squares: all four pixels
  s.dc().Box(4, 4, 3, 2, kRed);  // corners in either order
  s.dc().Box(6, 0, 7, 5, kRed);  // two wide, bottom row off the image
  EXPECT_EQ(s.Map(), (std::vector<std::string>{
                         "##....##",
                         "##....##",
                         "...##.##",
                         "...##.##",
                         "...##.##",
                     }));
  Surface large(5, 5);
  large.dc().Box(0, 0, 4, 3, kRed);
  EXPECT_EQ(large.Map(), (std::vector<std::string>{
                             "#####",
                             "#...#",
                             "#...#",
                             "#####",
                             ".....",
                         }));
}

TEST(DeviceContextTest, PixelsConvertBetweenColourAndImageOrder) {
  Surface s(2, 2);
  s.dc().SetPixel(1, 0, 0x00332211);
  s.dc().SetPixel(-1, 0, kRed);
  s.dc().SetPixel(2, 1, kRed);
  s.dc().SetPixel(0, 2, kRed);
  EXPECT_EQ(s.dc().Target().pixels,
            (std::vector<std::uint32_t>{0xFFFFFFFF, 0xFF112233, 0xFFFFFFFF, 0xFFFFFFFF}));
  EXPECT_EQ(s.dc().GetPixel(1, 0), 0x00332211u);
  for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) {
    EXPECT_EQ(s.dc().GetPixel(x, y), 0xFFFFFFFFu) << x << ", " << y;
  }
}

TEST(DeviceContextTest, FocusRectInvertsEveryOtherEdgePixelAndUndoesItself) {
  Surface s(8, 6, 0x00123456);
  const Legend legend = {{0x00123456, '.'}, {0x00EDCBA9, '#'}};
  s.dc().DrawFocusRect({1, 1, 7, 5});
  EXPECT_EQ(s.Map(legend), (std::vector<std::string>{
                               "........",
                               ".#.#.#..",
                               "......#.",
                               ".#......",
                               "..#.#.#.",
                               "........",
                           }));
  s.dc().DrawFocusRect({1, 1, 7, 5});
  EXPECT_EQ(s.Map(legend), std::vector<std::string>(6, "........"));
}

TEST(DeviceContextTest, FocusRectDotsFollowTheSurfaceOriginAndClip) {
  // The dots keep the surface's checkerboard: an odd left + top starts one pixel in.
  Surface s(6, 4);
  s.dc().DrawFocusRect({0, 1, 5, 3});
  s.dc().DrawFocusRect({5, -2, 9, 2});
  const Legend legend = {{kWhite, '.'}, {0, '#'}};
  EXPECT_EQ(s.Map(legend), (std::vector<std::string>{
                               "......",
                               ".#.#.#",
                               "#.#.#.",
                               "......",
                           }));
  s.dc().DrawFocusRect({2, 2, 2, 4});  // empty
  EXPECT_EQ(s.Map(legend)[2], "#.#.#.");
}

TEST(DeviceContextTest, TransparentCopyLeavesOutTheTransparentColour) {
  Image source(3, 2);
  source.pixels = {kRedPixel, kMagentaPixel, kBluePixel, kMagentaPixel, kGreenPixel, kMagentaPixel};
  const Legend legend = {{kWhite, '.'}, {kRed, 'r'}, {kGreen, 'g'}, {kBlue, 'b'}, {kMagenta, 'm'}};

  Surface s(5, 3);
  s.dc().TransparentCopy(1, 1, 3, 2, source, 0, 0, kMagenta);
  EXPECT_EQ(s.Map(legend), (std::vector<std::string>{
                               ".....",
                               ".r.b.",
                               "..g..",
                           }));

  // The transparent colour is 0x00BBGGRR like every colour the calls take: this is blue.
  Surface order(3, 1);
  order.dc().TransparentCopy(0, 0, 3, 1, source, 0, 0, kBlue);
  EXPECT_EQ(order.Map(legend)[0], "rm.");

  // An unresolved system colour matches no pixel.
  Surface system(3, 2);
  system.dc().TransparentCopy(0, 0, 3, 2, source, 0, 0, 0x8000000F);
  EXPECT_EQ(system.Map(legend), (std::vector<std::string>{"rmb", "mgm"}));
}

TEST(DeviceContextTest, TransparentCopyClipsBothImages) {
  Image source(3, 2);
  source.pixels = {kRedPixel, kMagentaPixel, kBluePixel, kMagentaPixel, kGreenPixel, kBluePixel};
  const Legend legend = {{kWhite, '.'}, {kRed, 'r'}, {kGreen, 'g'}, {kBlue, 'b'}};
  Surface s(4, 3);
  s.dc().TransparentCopy(-1, -1, 3, 2, source, 0, 0, kMagenta);  // only source row 1 lands
  s.dc().TransparentCopy(2, 1, 5, 5, source, 1, 0, kMagenta);    // source ends after 2 x 2
  s.dc().TransparentCopy(0, 2, 2, 1, source, -1, 0, kMagenta);   // source starts at column 0
  EXPECT_EQ(s.Map(legend), (std::vector<std::string>{
                               "gb..",
                               "...b",
                               ".rgb",
                           }));
}

TEST(DeviceContextTest, PictureBlendsItsAlphaAndScalesByNearestPixel) {
  Image source(2, 1);
  source.pixels = {0xFF0000FF, 0x80FF0000};  // opaque blue, half-transparent red
  Surface s(5, 3);
  s.dc().DrawPicture(0, 0, 4, 2, source, 2, 1);
  const Legend legend = {{kWhite, '.'}, {kBlue, 'b'}, {0x007F7FFF, 'p'}};
  EXPECT_EQ(s.Map(legend), (std::vector<std::string>{
                               "bbpp.",
                               "bbpp.",
                               ".....",
                           }));

  Image strip(4, 1);
  strip.pixels = {kRedPixel, kGreenPixel, kBluePixel, 0x00FF0000};
  Surface down(4, 2);
  down.dc().DrawPicture(0, 0, 2, 1, strip, 4, 1);   // centres of the source's halves
  down.dc().DrawPicture(-1, 1, 3, 1, strip, 3, 1);  // clipped left; only 3 source columns
  down.dc().DrawPicture(3, 0, 1, 2, strip, 1, 1);
  down.dc().DrawPicture(2, 0, 1, 1, strip, 0, 1);  // an empty source draws nothing
  const Legend colors = {{kWhite, '.'}, {kRed, 'r'}, {kGreen, 'g'}, {kBlue, 'b'}};
  EXPECT_EQ(down.Map(colors), (std::vector<std::string>{
                                  "g..r",
                                  "gb.r",
                              }));

  Image clear(1, 1, 0x00000000);
  Surface transparent(1, 1);
  transparent.dc().DrawPicture(0, 0, 1, 1, clear, 1, 1);
  EXPECT_EQ(transparent.dc().GetPixel(0, 0), kWhite);
}

TEST(DeviceContextTest, DisabledLookEmbossesEveryOpaquePixelButWhite) {
  // Ink: black, a light grey, and a colour one step too dark in one channel at half alpha. Not
  // ink: white, nearly white, and black with too little alpha.
  Image source(3, 2);
  source.pixels = {0xFF000000, 0xFFFFFFFF, 0x7F000000, 0xFFC0C0C0, 0xFFF0F8F0, 0x80EFFFFF};
  const Legend legend = {{kFace, '.'}, {kHighlight, 'h'}, {kShadow, 's'}};

  Surface s(5, 4, kFace);
  s.dc().DrawDisabled(1, 1, source);
  EXPECT_EQ(s.Map(legend), (std::vector<std::string>{
                               ".....",
                               ".s...",
                               ".shs.",
                               "..h.h",
                           }));

  Surface clipped(4, 3, kFace);
  clipped.dc().DrawDisabled(-1, -1, source);
  EXPECT_EQ(clipped.Map(legend), (std::vector<std::string>{
                                     "hs..",
                                     "h.h.",
                                     "....",
                                 }));
}

TEST(DeviceContextTest, ClassicColorsAreTheWindowsStandardScheme) {
  const ClassicColors colors{};
  const std::vector<std::pair<int, Rgb>> expected = {
      {15, 0x00C8D0D4}, {16, 0x00808080}, {18, 0x00000000}, {20, 0x00FFFFFF},
      {21, 0x00404040}, {22, 0x00C8D0D4}, {-1, 0},          {31, 0},
  };
  for (const auto& [index, rgb] : expected) EXPECT_EQ(colors.Color(index), rgb) << index;
}

// Text through the fixed cells: each character 6 x 13, its glyph a block over columns 1 to 4
// and rows 2 to 10 of its cell, an underline on the cell's last row.
constexpr unsigned kMeasure =
    TextFormat::kCalcRect | TextFormat::kWordBreak | TextFormat::kVCenter | TextFormat::kCenter;
constexpr unsigned kDraw = TextFormat::kWordBreak | TextFormat::kVCenter | TextFormat::kCenter;

TEST(DeviceContextTest, MeasuredTextCountsShownCharactersLinesAndMargins) {
  Surface s(1, 1);
  struct Row {
    std::u16string text;
    Rect rect;
    Rect measured;
  };
  const std::vector<Row> rows = {
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
  for (const Row& row : rows) {
    Rect rect = row.rect;
    CaptionParams params;
    const int height = s.dc().DrawText(row.text, rect, kMeasure, params);
    const std::string name(row.text.begin(), row.text.end());
    EXPECT_EQ(rect, row.measured) << name;
    EXPECT_EQ(height, row.measured.bottom - row.measured.top) << name;
    EXPECT_EQ(params.lengthDrawn, static_cast<int>(row.text.size())) << name;
  }
}

// The columns of one pixel row that hold the text colour.
std::string Inked(DeviceContext& dc, int y) {
  std::string row;
  for (int x = 0; x < dc.Target().width; ++x) row += dc.GetPixel(x, y) == kRed ? '#' : '.';
  return row;
}

TEST(DeviceContextTest, TextIsCentredPerLineInTheTextColour) {
  Surface s(52, 28);
  s.dc().SetTextColor(kRed);
  Rect measured{1, 1, 51, 0};
  CaptionParams params;
  s.dc().DrawText(u"Save all files", measured, kMeasure, params);
  Rect rect = measured;
  EXPECT_EQ(s.dc().DrawText(u"Save all files", rect, kDraw, params), 26);
  EXPECT_EQ(rect, measured) << "drawing leaves the rectangle alone";
  // Line 1 fills the space between the margins; line 2 (30 pixels) starts 9 further in.
  EXPECT_EQ(Inked(s.dc(), 1 + 1), std::string(52, '.'));
  EXPECT_EQ(Inked(s.dc(), 1 + 6), "...####..####..####..####........####..####..####...");
  EXPECT_EQ(Inked(s.dc(), 1 + 11), std::string(52, '.'));
  EXPECT_EQ(Inked(s.dc(), 14 + 6), "............####..####..####..####..####............");
  EXPECT_EQ(Inked(s.dc(), 1 + 3), Inked(s.dc(), 1 + 10));
}

TEST(DeviceContextTest, AmpersandUnderlinesTheLastMarkedCellOfEachLine) {
  Surface s(40, 28);
  s.dc().SetTextColor(kRed);
  Rect rect{0, 0, 40, 28};
  CaptionParams params;
  s.dc().DrawText(u"&a&&b\n&c&d", rect, 0, params);
  EXPECT_EQ(Inked(s.dc(), 6), "..####..####..####......................");
  EXPECT_EQ(Inked(s.dc(), 12), ".######.................................");
  EXPECT_EQ(Inked(s.dc(), 13 + 12), ".......######...........................");
}

TEST(DeviceContextTest, TextIsClippedToItsRectangle) {
  Surface s(20, 16);
  s.dc().SetTextColor(kRed);
  Rect rect{2, 0, 12, 8};
  CaptionParams params;
  s.dc().DrawText(u"abc", rect, 0, params);
  EXPECT_EQ(Inked(s.dc(), 6), "....####..##........");
  EXPECT_EQ(Inked(s.dc(), 8), std::string(20, '.'));
}

}  // namespace
}  // namespace brackwater
