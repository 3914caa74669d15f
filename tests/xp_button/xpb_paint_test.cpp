#include "xp_button/xpb_paint.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "tests/xp_button/fake_host.h"
#include "xp_button/xpb.h"

namespace brackwater {
namespace {

using testing::Colour;
using testing::EventLog;
using testing::FakePicture;
using testing::FromOle;
using testing::kBlack;
using testing::kDarkShadow;
using testing::kFace;
using testing::kHighlight;
using testing::kShadow;
using testing::PaintedButton;
using testing::PixelAt;
using testing::PixelOf;

// The flags as the input handlers leave them.
struct Flags {
  std::uint8_t hasFocus = 0;
  std::uint8_t isDown = 0;
  std::uint8_t isOver = 0;
};
constexpr Flags kRest{};
constexpr Flags kFocus{1, 0, 0};
constexpr Flags kHover{0, 0, 1};
constexpr Flags kFocusHover{1, 0, 1};
constexpr Flags kDown{1, 1, 1};

void Show(PaintedButton& t, Flags flags) {
  t.button.SetInputFlags(flags.hasFocus, flags.isDown, flags.isOver);
}

Colour Grey(int level) { return {level, level, level}; }

// The four edges of the surface, each read away from the corners, and the corner at top right
// where the two frames of a classic border meet.
struct Edges {
  Colour top;
  Colour left;
  Colour right;
  Colour bottom;
  Colour topRight;
  bool operator==(const Edges&) const = default;
};

void PrintTo(const Edges& e, std::ostream* out) {
  *out << "top ";
  PrintTo(e.top, out);
  *out << " left ";
  PrintTo(e.left, out);
  *out << " right ";
  PrintTo(e.right, out);
  *out << " bottom ";
  PrintTo(e.bottom, out);
  *out << " top right ";
  PrintTo(e.topRight, out);
}

Edges EdgesOf(const XpB& b) {
  const int w = b.Surface().width;
  const int h = b.Surface().height;
  return {PixelAt(b, 20, 0), PixelAt(b, 0, 20), PixelAt(b, w - 1, 20), PixelAt(b, 20, h - 1),
          PixelAt(b, w - 1, 0)};
}

TEST(XpBClassicBorder, EachStyleAndStateHasItsBorder) {
  const Edges raised{kHighlight, kHighlight, kBlack, kBlack, kHighlight};
  const Edges sunken{kBlack, kBlack, kHighlight, kHighlight, kBlack};
  const Edges none{kFace, kFace, kFace, kFace, kFace};
  const struct {
    std::int32_t style;
    const char* state;
    Flags flags;
    bool enabled;
    Edges edges;
  } rows[] = {
      {XpBStyle::kClassic, "rest", kRest, true, raised},
      {XpBStyle::kClassic, "hover", kHover, true, raised},
      {XpBStyle::kClassic, "down", kDown, true, sunken},
      {XpBStyle::kClassic, "disabled", kRest, false, raised},
      {XpBStyle::kFlat, "rest", kRest, true, none},
      {XpBStyle::kFlat, "focus", kFocus, true, none},
      {XpBStyle::kFlat, "hover", kHover, true, raised},
      {XpBStyle::kFlat, "down", kDown, true, sunken},
      {XpBStyle::kFlatDefault, "rest", kRest, true, none},
      {XpBStyle::kFlatDefault, "down", kDown, true, sunken},
      // A style without a look of its own looks flat.
      {7, "rest", kRest, true, none},
      {7, "hover", kHover, true, raised},
  };
  for (const auto& row : rows) {
    PaintedButton t(153, 41, row.style);
    t.host.enabled = row.enabled;
    Show(t, row.flags);
    EXPECT_EQ(EdgesOf(t.button), row.edges) << "style " << row.style << ", " << row.state;
    EXPECT_EQ(PixelAt(t.button, 76, 20), kFace) << "style " << row.style << ", " << row.state;
  }
}

TEST(XpBClassicBorder, TheDottedFocusCueNeedsFocusAndShowFocusRect) {
  const struct {
    std::int32_t style;
    bool showFocusRect;
    Flags flags;
    bool cue;
  } rows[] = {
      {XpBStyle::kClassic, true, kFocus, true},   {XpBStyle::kFlat, true, kFocusHover, true},
      {XpBStyle::kClassic, false, kFocus, false}, {XpBStyle::kClassic, true, kRest, false},
      {XpBStyle::kXPFace, true, kFocus, false},
  };
  for (const auto& row : rows) {
    PaintedButton t(153, 41, row.style);
    t.button.SetShowFocusRect(row.showFocusRect);
    Show(t, row.flags);
    const XpB& b = t.button;
    // The dots start at the focus rectangle's top-left pixel, (4, 4), and take every other
    // pixel: each is the inverse of its neighbour to the right, or the same without the cue.
    for (const auto& [x, y] : {std::array{4, 4}, std::array{146, 4}, std::array{4, 36}}) {
      const Colour next = PixelAt(b, x + 1, y);
      const Colour cue{255 - next.r, 255 - next.g, 255 - next.b};
      EXPECT_EQ(PixelAt(b, x, y), row.cue ? cue : next) << "style " << row.style << " at " << x;
    }
  }
}

TEST(XpBXPFace, TheNormalShadingGoesFromWhiteTo50StepsDarker) {
  // Row i is white darkened by 50 / H x i: at H = 20, 2.5 rounds to 2 and 7.5 to 8.
  PaintedButton tall(60, 20, XpBStyle::kXPFace);
  EXPECT_EQ(PixelAt(tall.button, 30, 1), Grey(253));
  EXPECT_EQ(PixelAt(tall.button, 30, 2), Grey(250));
  EXPECT_EQ(PixelAt(tall.button, 30, 3), Grey(247));
  EXPECT_EQ(PixelAt(tall.button, 30, 4), Grey(245));
  EXPECT_EQ(PixelAt(tall.button, 30, 18), Grey(210));
  // At H = 12 row 9 is 37.5 steps down exactly; the step kept in single precision is a little
  // short, so it rounds to 37, not to the even 38.
  PaintedButton low(60, 12, XpBStyle::kXPFace);
  EXPECT_EQ(PixelAt(low.button, 30, 9), Grey(218));
  EXPECT_EQ(PixelAt(low.button, 30, 10), Grey(213));
}

TEST(XpBXPFace, ThePressedShadingIsDarkerAndInverted) {
  // From the face lightened by 48 and darkened by 32, (223, 223, 216): at H = 20 the row above
  // the outline's bottom edge darkened by 2.5, rounded to 2, the rows above ever darker.
  PaintedButton t(60, 20, XpBStyle::kXPFace);
  Show(t, kDown);
  EXPECT_EQ(PixelAt(t.button, 30, 18), (Colour{221, 221, 214}));
  EXPECT_EQ(PixelAt(t.button, 30, 1), (Colour{199, 199, 192}));
  // At H = 30 row 21 is 7.5 steps down exactly; single precision makes it 7.
  PaintedButton high(60, 30, XpBStyle::kXPFace);
  Show(high, kDown);
  EXPECT_EQ(PixelAt(high.button, 30, 21), (Colour{216, 216, 209}));
}

TEST(XpBXPFace, TheOutlineAndCornersInEachState) {
  // Enabled, the inner corner pixel is the outline lightened by 12; disabled, the face
  // lightened by 48 and darkened by 72.
  const Colour enabledCorner = Grey(76);
  const Colour disabledCorner{183, 183, 176};
  const Colour disabledFrame{171, 171, 164};
  const struct {
    const char* state;
    Flags flags;
    bool enabled;
    Colour outline;
    Colour corner;
  } rows[] = {
      {"rest", kRest, true, kDarkShadow, enabledCorner},
      {"focus", kFocus, true, kDarkShadow, enabledCorner},
      {"hover", kHover, true, kDarkShadow, enabledCorner},
      {"focus and hover", kFocusHover, true, kDarkShadow, enabledCorner},
      {"down", kDown, true, kDarkShadow, enabledCorner},
      {"disabled", kRest, false, disabledFrame, disabledCorner},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.state);
    PaintedButton t(153, 41, XpBStyle::kXPFace);
    t.host.enabled = row.enabled;
    Show(t, row.flags);
    const XpB& b = t.button;
    EXPECT_EQ(EdgesOf(b), (Edges{row.outline, row.outline, row.outline, row.outline, kFace}));
    for (const auto& [outerX, outerY, innerX, innerY] :
         {std::array{0, 0, 1, 1}, std::array{152, 0, 151, 1}, std::array{0, 40, 1, 39},
          std::array{152, 40, 151, 39}}) {
      // The bottom-right corner box runs from (151, 39) to (153, 41): its outline, cut off by
      // the surface, leaves out its centre, the surface's last pixel, which keeps the
      // outline's colour.
      const Colour outermost = outerX == 152 && outerY == 40 ? row.outline : kFace;
      EXPECT_EQ(PixelAt(b, outerX, outerY), outermost) << outerX << "," << outerY;
      EXPECT_EQ(PixelAt(b, innerX, outerY), kFace) << innerX << "," << outerY;
      EXPECT_EQ(PixelAt(b, outerX, innerY), kFace) << outerX << "," << innerY;
      EXPECT_EQ(PixelAt(b, innerX, innerY), row.corner) << innerX << "," << innerY;
    }
  }
}

TEST(XpBXPFace, DisabledTheFaceIsFlatAndPale) {
  PaintedButton t(153, 41, XpBStyle::kXPFace);
  t.host.enabled = false;
  Show(t, kHover);
  EXPECT_EQ(PixelAt(t.button, 76, 1), (Colour{231, 231, 224}));
  EXPECT_EQ(PixelAt(t.button, 76, 39), (Colour{231, 231, 224}));
  EXPECT_EQ(PixelAt(t.button, 1, 20), (Colour{231, 231, 224}));  // no ring
  // From a grey face of 192 the pale colours follow it.
  t.host.colors.face = 0x00C0C0C0;
  t.button.Refresh();
  EXPECT_EQ(PixelAt(t.button, 76, 20), Grey(216));
  EXPECT_EQ(PixelAt(t.button, 76, 0), Grey(156));
  EXPECT_EQ(PixelAt(t.button, 1, 1), Grey(168));
  EXPECT_EQ(PixelAt(t.button, 0, 0), Grey(192));
  t.host.enabled = true;
  Show(t, kDown);
  EXPECT_EQ(PixelAt(t.button, 76, 39), Grey(207));  // 240 darkened by 32 and by 1
}

// The ring in colour R, read at its ten parts on a 153 x 41 face.
struct Ring {
  Colour top;            // the line above the frame, R + 90
  Colour frameTop;       // R + 35
  Colour frameLeft;      // R
  Colour insideLeft;     // R + 20
  Colour insideRight;    // R + 20
  Colour frameRight;     // R
  Colour frameBottom;    // R
  Colour below;          // the line below the frame, R - 40
  Colour topLeftDot;     // R + 35
  Colour bottomLeftDot;  // R
  bool operator==(const Ring&) const = default;
};

Ring RingOf(const XpB& b) {
  return {PixelAt(b, 76, 1),   PixelAt(b, 76, 2),   PixelAt(b, 1, 20),  PixelAt(b, 2, 20),
          PixelAt(b, 150, 20), PixelAt(b, 151, 20), PixelAt(b, 76, 38), PixelAt(b, 76, 39),
          PixelAt(b, 3, 3),    PixelAt(b, 3, 37)};
}

void PrintTo(const Ring& ring, std::ostream* out) {
  for (const Colour& c :
       {ring.top, ring.frameTop, ring.frameLeft, ring.insideLeft, ring.insideRight, ring.frameRight,
        ring.frameBottom, ring.below, ring.topLeftDot, ring.bottomLeftDot}) {
    PrintTo(c, out);
    *out << ' ';
  }
}

TEST(XpBXPFace, TheRingShowsFocusOrHoverInItsColour) {
  const Colour hover = FromOle(0x004799E1);
  const Ring hoverRing{FromOle(0x00A1F3FF),
                       FromOle(0x006ABCFF),
                       hover,
                       FromOle(0x005BADF5),
                       FromOle(0x005BADF5),
                       hover,
                       hover,
                       FromOle(0x001F71B9),
                       FromOle(0x006ABCFF),
                       hover};
  const Colour red{255, 0, 0};
  const Ring focusRing{{255, 90, 90}, {255, 35, 35}, red,         {255, 20, 20}, {255, 20, 20},
                       red,           red,           {215, 0, 0}, {255, 35, 35}, red};
  const struct {
    const char* state;
    Flags flags;
    bool ring;
    const Ring* expected;
  } rows[] = {
      {"focus", kFocus, true, &focusRing},
      {"hover", kHover, true, &hoverRing},
      {"focus and hover", kFocusHover, true, &hoverRing},
      {"rest", kRest, false, nullptr},
      {"down", kDown, false, nullptr},
  };
  for (const auto& row : rows) {
    PaintedButton t(153, 41, XpBStyle::kXPFace);
    t.button.SetXPColor_Pressed(0x000000FF);
    t.button.SetXPColor_Hover(0x004799E1);
    Show(t, row.flags);
    if (row.ring) {
      EXPECT_EQ(RingOf(t.button), *row.expected) << row.state;
    } else {
      // The shading runs through where the ring would be.
      EXPECT_EQ(PixelAt(t.button, 1, 20), PixelAt(t.button, 76, 20)) << row.state;
      EXPECT_EQ(PixelAt(t.button, 76, 1), PixelAt(t.button, 20, 1)) << row.state;
    }
  }
}

TEST(XpBXPFace, DefaultColoursAreWrittenBackByAnEnabledRepaint) {
  PaintedButton t(153, 41, XpBStyle::kXPFace);
  t.button.SetXPDefaultColors(true);
  t.button.SetXPColor_Hover(0x000000FF);
  t.button.SetXPColor_Pressed(0x0000FF00);
  EXPECT_EQ(t.button.XPColor_Hover(), 0x000000FF);  // the setter only stores

  // A disabled repaint leaves them.
  t.host.enabled = false;
  Show(t, kHover);
  EXPECT_EQ(t.button.XPColor_Hover(), 0x000000FF);

  t.host.enabled = true;
  Show(t, kHover);
  EXPECT_EQ(t.button.XPColor_Hover(), 0x004799E1);
  EXPECT_EQ(t.button.XPColor_Pressed(), 0x00E6AA8C);
  EXPECT_EQ(PixelAt(t.button, 1, 20), FromOle(0x004799E1));
  Show(t, kFocus);
  EXPECT_EQ(PixelAt(t.button, 1, 20), FromOle(0x00E6AA8C));

  // Without XPDefaultColors the colours set stay, through repaints and saving.
  t.button.SetXPDefaultColors(false);
  t.button.SetXPColor_Hover(0x000000FF);
  Show(t, kHover);
  EXPECT_EQ(t.button.XPColor_Hover(), 0x000000FF);
  EXPECT_EQ(PixelAt(t.button, 1, 20), (Colour{255, 0, 0}));
}

// "OK" in the fixed-width font at (70, 14, 84, 27): its "O" cell starts one margin pixel in,
// at x = 71, and the cell's glyph is the block from (72, 16) to (75, 24).
TEST(XpBCaption, TheCaptionMovesWithThePress) {
  PaintedButton t(153, 41, XpBStyle::kFlat);
  t.button.SetCaption(u"OK");
  EXPECT_EQ(PixelAt(t.button, 72, 16), kBlack);
  EXPECT_EQ(PixelAt(t.button, 75, 24), kBlack);
  EXPECT_EQ(PixelAt(t.button, 76, 25), kFace);
  Show(t, kDown);
  EXPECT_EQ(PixelAt(t.button, 72, 16), kFace);
  EXPECT_EQ(PixelAt(t.button, 76, 25), kBlack);
  EXPECT_EQ(t.button.CaptionRect(), (Rect{70, 14, 84, 27}));  // drawn shifted, kept in place
  Show(t, kRest);
  EXPECT_EQ(PixelAt(t.button, 72, 16), kBlack);
  EXPECT_EQ(PixelAt(t.button, 76, 25), kFace);
}

TEST(XpBCaption, DisabledTheCaptionIsEmbossedAndNeverMoves) {
  PaintedButton t(153, 41, XpBStyle::kFlat);
  t.button.SetCaption(u"OK");
  t.host.enabled = false;
  Show(t, kDown);
  EXPECT_EQ(PixelAt(t.button, 72, 16), kShadow);  // in place, in the shadow colour
  EXPECT_EQ(PixelAt(t.button, 75, 24), kShadow);
  EXPECT_EQ(PixelAt(t.button, 76, 25), kHighlight);  // one pixel right and down, highlight
  EXPECT_EQ(PixelAt(t.button, 71, 16), kFace);
  // The text colour is left at the control's foreground colour, button text.
  EXPECT_EQ(t.button.TextColor(), 0x00000000u);
}

TEST(XpBCaption, TheAccessKeyIsUnderlinedOnTheXPFace) {
  PaintedButton t(153, 41, XpBStyle::kXPFace);
  t.button.SetCaption(u"&OK");
  // The underline is the bottom row of the marked character's cell, drawn over the shading.
  EXPECT_EQ(PixelAt(t.button, 71, 26), kBlack);
  EXPECT_EQ(PixelAt(t.button, 76, 26), kBlack);
  EXPECT_NE(PixelAt(t.button, 77, 26), kBlack);
}

// Pictures at (68, 12) on a 153 x 41 button with no caption: 16 x 16, centred.
constexpr std::uint32_t kMagenta = 0xFFFF00FF;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// Magenta at the top-left and down the left column, white at the top-right, blue elsewhere.
std::shared_ptr<FakePicture> Bitmap() {
  Image image(16, 16, kBlue);
  for (int y = 0; y < 16; ++y) image.pixels[static_cast<std::size_t>(y) * 16] = kMagenta;
  image.pixels[15] = kWhite;
  return std::make_shared<FakePicture>(PictureKind::kBitmap, std::move(image));
}

TEST(XpBPicture, ABitmapLeavesOutItsTopLeftColourAndKeepsItAsMaskColor) {
  PaintedButton t(153, 41, XpBStyle::kFlat);
  std::int32_t maskInYield = 0;
  t.host.onYield = [&] { maskInYield = t.button.MaskColor(); };
  t.button.SetPicture(Bitmap());
  ASSERT_EQ(t.button.PictureRect(), (Rect{68, 12, 84, 28}));
  EXPECT_EQ(t.button.MaskColor(), 0x00FF00FF);
  EXPECT_EQ(maskInYield, 0x00FF00FF);  // a handler run by the bitmap's yield reads it already
  EXPECT_EQ(PixelAt(t.button, 68, 12), kFace);
  EXPECT_EQ(PixelAt(t.button, 68, 27), kFace);
  EXPECT_EQ(PixelAt(t.button, 69, 12), (Colour{0, 0, 255}));
  EXPECT_EQ(PixelAt(t.button, 83, 12), kHighlight);
  EXPECT_EQ(PixelAt(t.button, 84, 12), kFace);
  // The scratch image keeps the last bitmap drawn.
  EXPECT_EQ(PixelOf(t.button.Picture1(), 0, 0), (Colour{255, 0, 255}));
  EXPECT_EQ(PixelOf(t.button.Picture1(), 16, 0), kFace);
}

TEST(XpBPicture, ABitmapWithAGivenMaskColorLeavesOutThatColour) {
  PaintedButton t(153, 41, XpBStyle::kFlat);
  t.button.SetMaskColor(0x00FFFFFF);
  t.button.SetUseMaskColor(true);
  t.button.SetPicture(Bitmap());
  EXPECT_EQ(t.button.MaskColor(), 0x00FFFFFF);
  EXPECT_EQ(PixelAt(t.button, 68, 12), (Colour{255, 0, 255}));
  EXPECT_EQ(PixelAt(t.button, 83, 12), kFace);
  // A system colour reaches the copy as it is stored, and matches no pixel.
  t.button.SetMaskColor(SystemColor(SystemColorIndex::kButtonFace));
  EXPECT_EQ(PixelAt(t.button, 83, 12), kHighlight);
}

TEST(XpBPicture, AnIconBringsItsOwnTransparency) {
  Image image(16, 16, 0x00000000);
  image.pixels[0] = 0xFF00FF00;
  PaintedButton t(153, 41, XpBStyle::kFlat);
  t.button.SetPicture(std::make_shared<FakePicture>(PictureKind::kIcon, std::move(image)));
  EXPECT_EQ(PixelAt(t.button, 68, 12), (Colour{0, 255, 0}));
  EXPECT_EQ(PixelAt(t.button, 69, 12), kFace);
  EXPECT_EQ(t.button.MaskColor(), 0);
}

TEST(XpBPicture, ThePictureMovesWithThePressAndOtherKindsShowOnlyDisabled) {
  // A light grey pixel: disabled, it is ink as much as a dark one.
  constexpr Colour kGrey{192, 192, 192};
  const auto icon = [](PictureKind kind) {
    Image image(16, 16, 0x00000000);
    image.pixels[0] = 0xFFC0C0C0;
    return std::make_shared<FakePicture>(kind, std::move(image));
  };
  const struct {
    const char* name;
    PictureKind kind;
    Flags flags;
    bool enabled;
    Colour at;         // (68, 12)
    Colour rightDown;  // (69, 13)
  } rows[] = {
      {"icon at rest", PictureKind::kIcon, kRest, true, kGrey, kFace},
      {"icon held down", PictureKind::kIcon, kDown, true, kFace, kGrey},
      {"bitmap held down", PictureKind::kBitmap, kDown, true, kFace, kGrey},
      {"metafile", PictureKind::kOther, kRest, true, kFace, kFace},
      {"icon disabled", PictureKind::kIcon, kRest, false, kShadow, kHighlight},
      {"bitmap disabled", PictureKind::kBitmap, kRest, false, kShadow, kHighlight},
      {"metafile disabled", PictureKind::kOther, kRest, false, kShadow, kHighlight},
  };
  for (const auto& row : rows) {
    PaintedButton t(153, 41, XpBStyle::kFlat);
    t.host.enabled = row.enabled;
    t.button.SetUseMaskColor(true);
    t.button.SetMaskColor(0x00C8D0D4);  // the scratch image's background
    t.button.SetPicture(icon(row.kind));
    Show(t, row.flags);
    EXPECT_EQ(PixelAt(t.button, 68, 12), row.at) << row.name;
    EXPECT_EQ(PixelAt(t.button, 69, 13), row.rightDown) << row.name;
    EXPECT_EQ(t.button.PictureRect(), (Rect{68, 12, 84, 28})) << row.name;
  }
}

TEST(XpBPicture, ARepaintDuringTheYieldIsTheOneThatShows) {
  PaintedButton t(153, 41, XpBStyle::kClassic);
  t.button.SetShowFocusRect(true);
  t.button.SetPicture(Bitmap());
  t.log.clear();
  // The focus arrives while the bitmap is drawn: its repaint runs to the end inside the first.
  bool first = true;
  t.host.onYield = [&] {
    if (!first) return;
    first = false;
    t.button.SetInputFlags(1, 0, 0);
  };
  t.button.Refresh();
  EXPECT_EQ(t.log, (EventLog{"Yield", "Yield", "Show down=0", "Show down=0"}));
  // One focus cue, and the bitmap under it.
  EXPECT_EQ(PixelAt(t.button, 4, 4), (Colour{43, 47, 55}));
  EXPECT_EQ(PixelAt(t.button, 69, 12), (Colour{0, 0, 255}));
  EXPECT_EQ(t.button.PictureRect(), (Rect{68, 12, 84, 28}));
}

TEST(XpBPicture, AButtonDestroyedDuringTheYieldIsNotTouched) {
  testing::OwnedButton t;
  t.button->OnResize();
  t.button->SetButtonStyle(XpBStyle::kFlat);
  t.button->SetPicture(Bitmap());
  t.log.clear();
  t.host.onYield = [&] { t.button.reset(); };
  t.watched->OnMouseDown(1, 0, 1, 1);
  EXPECT_EQ(t.log, (EventLog{"Yield"}));
}

}  // namespace
}  // namespace brackwater
