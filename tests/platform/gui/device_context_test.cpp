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
constexpr std::pair<Rgb, char> kLegend[] = {{kWhite, '.'},     {kRed, '#'},       {0x0000FF00, 'g'},
                                            {kBlue, 'b'},      {kMagenta, 'm'},   {0x008080FF, 'p'},
                                            {kFace, 'f'},      {0x00808080, 's'}, {0, 'k'},
                                            {0x00123456, 'o'}, {0x00EDCBA9, 'i'}};

using Map = std::vector<std::string>;

struct Surface {
  Surface(int w, int h, Rgb background) : image(w, h), dc(image, colors, text) {
    dc.FillRect({0, 0, w, h}, background);
  }
  Map Drawn() const {
    Map rows(static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        char symbol = '?';
        for (const auto& [color, c] : kLegend) symbol = dc.GetPixel(x, y) == color ? c : symbol;
        rows[static_cast<std::size_t>(y)] += symbol;
      }
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

// One drawing call: its four coordinates (a rectangle, two points or a place and size), a
// colour, and for the image calls the source and its (x, y) or size.
enum Call { kFill, kFrame, kLine, kBox, kFocus, kCopy, kPicture, kDisabled };
struct Op {
  Call call;
  int a, b, c, d;
  Rgb color = 0;
  const Image* source = nullptr;
  int e = 0, f = 0;
};

void Draw(DeviceContext& dc, const Op& o) {
  switch (o.call) {
    case kFill:
      return dc.FillRect({o.a, o.b, o.c, o.d}, o.color);
    case kFrame:
      return dc.FrameRect({o.a, o.b, o.c, o.d}, o.color);
    case kLine:
      return dc.Line(o.a, o.b, o.c, o.d, o.color);
    case kBox:
      return dc.Box(o.a, o.b, o.c, o.d, o.color);
    case kFocus:
      return dc.DrawFocusRect({o.a, o.b, o.c, o.d});
    case kCopy:
      return dc.TransparentCopy(o.a, o.b, o.c, o.d, *o.source, o.e, o.f, o.color);
    case kPicture:
      return dc.DrawPicture(o.a, o.b, o.c, o.d, *o.source, o.e, o.f);
    case kDisabled:
      return dc.DrawDisabled(o.a, o.b, *o.source);
  }
}

TEST(DeviceContext, EachCallDrawsItsPixelsAndClipsToTheImage) {
  const Image rmb = ImageOf(3, 2, {kR, kM, kB, kM, kG, kM});
  const Image strip = ImageOf(4, 1, {kR, kG, kB, 0x00FF0000});  // the last one transparent
  const Image halfRed = ImageOf(2, 1, {kB, 0x80FF0101});        // 127.5 rounds up
  // Ink: black, light grey, half-opaque near-white one step too dark. Not: white, nearly white,
  // black too transparent.
  const Image ink =
      ImageOf(3, 2, {0xFF000000, 0xFFFFFFFF, 0x7F000000, 0xFFC0C0C0, 0xFFF0F8F0, 0x80EFFFFF});
  const Rgb kO = 0x00123456;
  // The surface's size is the expected map's.
  const struct {
    const char* name;
    Rgb background;
    std::vector<Op> ops;
    Map expected;
  } rows[] = {
      // clang-format off
      {"fill: right and bottom left out; off the image, empty, inverted", kWhite,
       {{kFill, 1, 1, 3, 2, kRed}, {kFill, -3, -3, 1, 1, kRed}, {kFill, 5, 2, 99, 99, kRed},
        {kFill, 3, 0, 3, 3, kRed}, {kFill, 4, 2, 2, 3, kRed}},
       {"#.....", ".##...", ".....#"}},
      {"frame inside its rectangle; one wide; clipped; empty; inverted", kWhite,
       {{kFrame, 0, 0, 4, 4, kRed}, {kFrame, 5, 0, 6, 4, kRed}, {kFrame, 7, 5, 10, 6, kRed},
        {kFrame, 7, 1, 7, 4, kRed}, {kFrame, 8, 4, 7, 1, kRed}},
       {"####.#...", "#..#.#...", "#..#.#...", "####.#...", ".........", ".......##"}},
      {"frames beyond the edges: the sunken border", kWhite,
       {{kFrame, 0, 0, 6, 5, kRed}, {kFrame, -1, -1, 4, 3, kBlue}},
       {"###b#", "#..b.", "bbbb.", "#...."}},
      {"lines leave out their end point, either way; halves away from the start", kWhite,
       {{kLine, 0, 0, 4, 0, kRed}, {kLine, 6, 1, 2, 1, kRed}, {kLine, 0, 2, 0, 5, kRed},
        {kLine, 2, 5, 2, 2, kRed}, {kLine, 4, 3, 4, 3, kRed}, {kLine, 0, 6, 6, 9, kRed}},
       {"####...", "...####", "#......", "#.#....", "#.#....", "..#....", "#......", ".##....",
        "...##.."}},
      {"a sloped line backwards", kWhite, {{kLine, 6, 3, 0, 0, kRed}},
       {".#.....", "..##...", "....##.", "......#"}},
      {"a sloped line clipped; lines over the whole range; beyond GDI's range none", kWhite,
       {{kLine, -2, -1, 6, 3, kRed}, {kLine, INT_MIN, 1, INT_MAX, 1, kBlue},
        {kLine, 3, INT_MAX, 3, INT_MIN, kBlue}, {kLine, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kRed}},
       {"#..b", "bbbb", "...b"}},
      {"boxes include both corners, in either order", kWhite,
       {{kBox, 0, 0, 1, 1, kRed}, {kBox, 4, 4, 3, 2, kRed}, {kBox, 6, 0, 7, 5, kRed},
        {kBox, 0, 2, 2, 4, kBlue}},
       {"##....##", "##....##", "bbb##.##", "b.b##.##", "bbb##.##"}},
      {"focus cue: every other edge pixel, anchored at the origin", kO, {{kFocus, 1, 1, 7, 5}},
       {"oooooooo", "oioioioo", "ooooooio", "oioooooo", "ooioioio", "oooooooo"}},
      {"focus cue twice: undone", kO, {{kFocus, 0, 0, 4, 3}, {kFocus, 0, 0, 4, 3}},
       {"oooo", "oooo", "oooo"}},
      {"focus cue with odd left + top, clipped, empty", kWhite,
       {{kFocus, 0, 1, 5, 3}, {kFocus, 5, -2, 9, 2}, {kFocus, 2, 2, 2, 4}},
       {"......", ".k.k.k", "k.k.k.", "......"}},
      {"transparent copy leaves out its 0x00BBGGRR colour", kWhite,
       {{kCopy, 1, 1, 3, 2, kMagenta, &rmb}}, {".....", ".#.b.", "..g.."}},
      {"transparent copy: blue, and a system colour that matches nothing", kWhite,
       {{kCopy, 0, 0, 3, 1, kBlue, &rmb}, {kCopy, 0, 1, 3, 2, 0x8000000F, &rmb}},
       {"#m.", "#mb", "mgm"}},
      {"transparent copy clips both images", kWhite,
       {{kCopy, -1, -1, 3, 2, kMagenta, &rmb}, {kCopy, 2, 1, 5, 5, kMagenta, &rmb, 1},
        {kCopy, 0, 2, 2, 1, kMagenta, &rmb, -1}},
       {"g...", "...b", ".#g."}},
      {"picture: alpha blended, scaled by the nearest pixel", kWhite,
       {{kPicture, 0, 0, 4, 2, 0, &halfRed, 2, 1}}, {"bbpp.", "bbpp.", "....."}},
      {"picture: shrunk, clipped, stretched, empty source, transparent", kWhite,
       {{kPicture, 0, 0, 2, 1, 0, &strip, 4, 1}, {kPicture, -1, 1, 3, 1, 0, &strip, 3, 1},
        {kPicture, 3, 0, 1, 2, 0, &strip, 1, 1}, {kPicture, 2, 0, 1, 1, 0, &strip, 0, 1},
        {kPicture, 2, 1, 1, 1, 0, &strip, 6, 1}},
       {"g..#", "gb.#"}},
      {"disabled: ink embossed, highlight right and down, shadow in place", kFace,
       {{kDisabled, 1, 1, 0, 0, 0, &ink}}, {"fffff", "fsfff", "fs.sf", "ff.f."}},
      {"disabled, clipped", kFace, {{kDisabled, -1, -1, 0, 0, 0, &ink}},
       {".sff", ".f.f", "ffff"}},
      // clang-format on
  };
  for (const auto& row : rows) {
    Surface s(static_cast<int>(row.expected[0].size()), static_cast<int>(row.expected.size()),
              row.background);
    for (const Op& op : row.ops) Draw(s.dc, op);
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
      // Centred, an 18-pixel line in 8 between the margins starts (8 - 18) / 2 = -5 after the left.
      {u"abc",
       {2, 0, 12, 8},
       kFormat,
       13,
       {{6, "..#..####..#........"}, {8, std::string(20, '.')}}},
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
