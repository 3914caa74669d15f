#include "xp_button/xpb_paint.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "tests/xp_button/fake_host.h"
#include "xp_button/xpb.h"

namespace brackwater {
namespace {

using testing::EventLog;
using testing::FakePicture;
using testing::PixelAt;
using testing::Rig;

// FNV-1a over every pixel of the surface.
std::uint32_t Sum(const Image& image) {
  std::uint32_t sum = 2166136261u;
  for (const std::uint32_t pixel : image.pixels) sum = (sum ^ pixel) * 16777619u;
  return sum;
}

// 90 x 14, wider than the 83 x 55 scratch image: magenta down the left column (the top-left
// pixel is the mask colour), white at the top right, a green column at the far right, blue
// elsewhere.
std::shared_ptr<FakePicture> Bitmap() {
  Image image(90, 14, 0xFF0000FF);
  for (int y = 0; y < 14; ++y) {
    image.pixels[static_cast<std::size_t>(y * 90)] = 0xFFFF00FF;
    image.pixels[static_cast<std::size_t>(y * 90 + 89)] = 0xFF00FF00;
  }
  image.pixels[88] = 0xFFFFFFFF;
  return std::make_shared<FakePicture>(PictureKind::kBitmap, std::move(image));
}

// 16 x 16, transparent but for a light grey diagonal and a half-transparent red corner.
std::shared_ptr<FakePicture> Icon() {
  Image image(16, 16, 0x00000000);
  for (int i = 0; i < 16; ++i) image.pixels[static_cast<std::size_t>(i * 17)] = 0xFFC0C0C0;
  for (int i = 0; i < 4; ++i) image.pixels[static_cast<std::size_t>(12 + i * 16)] = 0x80FF0000;
  return std::make_shared<FakePicture>(PictureKind::kIcon, std::move(image));
}

struct Flags {
  const char* name;
  std::uint8_t hasFocus, isDown, isOver;
};
constexpr Flags kStates[] = {{"rest", 0, 0, 0},           {"focus", 1, 0, 0},
                             {"over", 0, 0, 1},           {"focus+over", 1, 0, 1},
                             {"down, not over", 1, 1, 0}, {"down+over", 1, 1, 1}};
constexpr const char* kStyles[] = {"classic", "flat", "XP", "XP, default colours"};
constexpr const char* kContents[] = {"caption", "bitmap", "icon"};

// A 153 x 41 button loaded from a store that holds only these keys, so the other settings are
// their defaults (ShowFocusRect on, the ring colours the system's), then shown in a state.
// The bitmap lies above the caption "Go"; the icon, alone, is stored at 24 x 20, not its own 16.
std::uint32_t Painted(int style, int content, bool enabled, const Flags& state) {
  Rig t(153, 41);
  PropertyStore store;
  store.Set(u"ButtonStyle", std::int32_t{style < 2 ? style : XpBStyle::kXPFace});
  store.Set(u"XPDefaultColors", style == 3);
  store.Set(u"Enabled", enabled);
  store.Set(u"Caption", std::u16string(content == 0 ? u"&OK" : content == 1 ? u"Go" : u""));
  if (content == 1) {
    store.Set(u"Picture", PicturePtr(Bitmap()));
    store.Set(u"PicturePosition", std::int32_t{0});
    store.Set(u"PictureWidth", std::int32_t{90});
    store.Set(u"PictureHeight", std::int32_t{14});
  } else if (content == 2) {
    store.Set(u"Picture", PicturePtr(Icon()));
    store.Set(u"PictureWidth", std::int32_t{24});
    store.Set(u"PictureHeight", std::int32_t{20});
  }
  t.b->LoadFromStore(store);
  t.b->SetInputFlags(state.hasFocus, state.isDown, state.isOver);
  return Sum(t.b->Surface());
}

// Per style and content (row / 3 and row % 3): the six states enabled, then the six disabled. After
// a change that is meant to change the look, look at the buttons with build/bin/xpb-render
// (--gallery), then take the new sums from the failing run of the table test, which prints them.
constexpr std::uint32_t kSums[12][12] = {
    {0x51A979D6, 0xEED7E5E6, 0x51A979D6, 0xEED7E5E6, 0x6BB1DC86, 0x6BB1DC86, 0x0EE5B99C, 0xF2DFE090,
     0x0EE5B99C, 0xF2DFE090, 0x29C0F210, 0x29C0F210},  // classic, caption
    {0x95C14196, 0x1AEDA3E6, 0x95C14196, 0x1AEDA3E6, 0xE0400C96, 0xE0400C96, 0xB3D2B6FD, 0x71145151,
     0xB3D2B6FD, 0x71145151, 0x2FE349E1, 0x2FE349E1},  // classic, bitmap
    {0x7E0978BE, 0xB50D4606, 0x7E0978BE, 0xB50D4606, 0xB10089B6, 0xB10089B6, 0x76D64B07, 0x260A857F,
     0x76D64B07, 0x260A857F, 0x035CFD5F, 0x035CFD5F},  // classic, icon
    {0x57D77A47, 0xBDD7FA67, 0x51A979D6, 0xEED7E5E6, 0x6BB1DC86, 0x6BB1DC86, 0xEACBC2B1, 0x356155CD,
     0x0EE5B99C, 0xF2DFE090, 0x29C0F210, 0x29C0F210},  // flat, caption
    {0xE2FF89F7, 0xAA0B9727, 0x95C14196, 0x1AEDA3E6, 0xE0400C96, 0xE0400C96, 0x1B0A4B5C, 0x1DBF39F0,
     0xB3D2B6FD, 0x71145151, 0x2FE349E1, 0x2FE349E1},  // flat, bitmap
    {0xA588E587, 0x45B832F7, 0x7E0978BE, 0xB50D4606, 0xB10089B6, 0xB10089B6, 0x61CDA692, 0xCB28BC02,
     0x76D64B07, 0x260A857F, 0x035CFD5F, 0x035CFD5F},  // flat, icon
    {0x723EC4D3, 0x53F7B72E, 0xD9CCCF4C, 0xD9CCCF4C, 0x5930FB1C, 0x5930FB1C, 0x42B342AD, 0x42B342AD,
     0x42B342AD, 0x42B342AD, 0x42B342AD, 0x42B342AD},  // XP, caption
    {0x599D383C, 0xF8A76DB9, 0xFFB9EEFB, 0xFFB9EEFB, 0xF5866D03, 0xF5866D03, 0x43C76CA0, 0x43C76CA0,
     0x43C76CA0, 0x43C76CA0, 0x5051F488, 0x5051F488},  // XP, bitmap
    {0x248152F5, 0x513FDCCC, 0x21D608F6, 0x21D608F6, 0x3EDCF909, 0x3EDCF909, 0xC7795CF6, 0xC7795CF6,
     0xC7795CF6, 0xC7795CF6, 0x92D178D6, 0x92D178D6},  // XP, icon
    {0x723EC4D3, 0x9EA34AB0, 0x6AB436C3, 0x6AB436C3, 0x5930FB1C, 0x5930FB1C, 0x42B342AD, 0x42B342AD,
     0x42B342AD, 0x42B342AD, 0x42B342AD, 0x42B342AD},  // XP, default colours, caption
    {0x599D383C, 0x46FDF5CF, 0x138ECC98, 0x138ECC98, 0xF5866D03, 0xF5866D03, 0x43C76CA0, 0x43C76CA0,
     0x43C76CA0, 0x43C76CA0, 0x5051F488, 0x5051F488},  // XP, default colours, bitmap
    {0x248152F5, 0xA176910A, 0xEDDEDCC5, 0xEDDEDCC5, 0x3EDCF909, 0x3EDCF909, 0xC7795CF6, 0xC7795CF6,
     0xC7795CF6, 0xC7795CF6, 0x92D178D6, 0x92D178D6},  // XP, default colours, icon
};

TEST(XpBPaint, EachStyleStateAndContentPaintsItsPixels) {
  std::string found;
  for (int row = 0; row < 12; ++row) {
    found += "    {";
    for (int i = 0; i < 12; ++i) {
      const std::uint32_t sum = Painted(row / 3, row % 3, i < 6, kStates[i % 6]);
      EXPECT_EQ(sum, kSums[row][i]) << kStyles[row / 3] << ", " << kContents[row % 3] << ", "
                                    << kStates[i % 6].name << (i < 6 ? "" : ", disabled");
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%08X%s", sum, i < 11 ? ", " : "");
      found += hex;
    }
    found += std::string("},  // ") + kStyles[row / 3] + ", " + kContents[row % 3] + "\n";
  }
  if (HasFailure()) std::printf("The sums painted, for kSums:\n%s", found.c_str());
}

TEST(XpBPaint, TheShadingStepIsSinglePrecision) {
  // At H = 12 row 9 is 37.5 steps down exactly, but the float step is short of 50 / 12: 37.
  Rig low(60, 12);
  low.b->SetButtonStyle(XpBStyle::kXPFace);
  EXPECT_EQ(PixelAt(low.b->Surface(), 30, 9), 0xDADADAu);
  // Pressed, at H = 30 row 21 is 7.5 steps exactly: 7, from (223, 223, 216).
  Rig high(60, 30);
  high.b->SetButtonStyle(XpBStyle::kXPFace);
  high.b->SetInputFlags(1, 1, 1);
  EXPECT_EQ(PixelAt(high.b->Surface(), 30, 21), 0xD8D8D1u);
}

TEST(XpBPaint, ARepaintWritesBackTheMaskColourAndTheDefaultRingColours) {
  Rig t(153, 41);
  t.b->SetButtonStyle(XpBStyle::kXPFace);
  std::int32_t maskInYield = 0;
  t.host.onYield = [&] { maskInYield = t.b->MaskColor(); };
  t.b->SetPicture(Bitmap());
  EXPECT_EQ(maskInYield, 0x00FF00FF);  // already taken up when the yield runs
  EXPECT_EQ(t.b->MaskColor(), 0x00FF00FF);
  t.b->SetUseMaskColor(true);
  t.b->SetMaskColor(0x00FFFFFF);
  EXPECT_EQ(t.b->MaskColor(), 0x00FFFFFF);
  // A system colour reaches the copy as stored, and matches no pixel: the white one (the
  // highlight) stays, at the bitmap's top right.
  t.b->SetMaskColor(SystemColor(SystemColorIndex::kButtonHighlight));
  EXPECT_EQ(PixelAt(t.b->Surface(), t.b->PictureRect().left + 88, t.b->PictureRect().top),
            0xFFFFFFu);
  t.b->SetXPDefaultColors(true);
  t.b->SetXPColor_Hover(0xFF);
  t.host.enabled = false;
  t.b->Refresh();
  EXPECT_EQ(t.b->XPColor_Hover(), 0xFF);  // a disabled repaint leaves them
  t.host.enabled = true;
  t.b->Refresh();
  EXPECT_EQ(t.b->XPColor_Hover(), 0x004799E1);
  EXPECT_EQ(t.b->XPColor_Pressed(), 0x00E6AA8C);
}

TEST(XpBPaint, ARepaintDuringTheYieldIsTheOneThatShows) {
  Rig focused(153, 41);
  focused.b->SetPicture(Bitmap());
  focused.b->SetShowFocusRect(true);
  focused.b->SetInputFlags(1, 0, 0);
  Rig t(153, 41);
  t.b->SetPicture(Bitmap());
  t.b->SetShowFocusRect(true);
  t.log.clear();
  t.host.onYield = [&] {
    t.host.onYield = nullptr;
    t.b->SetInputFlags(1, 0, 0);
  };
  t.b->Refresh();
  EXPECT_EQ(t.log, (EventLog{"Yield", "Yield", "Show R", "Show R"}));
  EXPECT_EQ(Sum(t.b->Surface()), Sum(focused.b->Surface()));  // one focus cue, not two
}

TEST(XpBPaint, AButtonDestroyedDuringTheYieldIsNotTouched) {
  Rig t;
  t.b->SetPicture(Bitmap());
  t.log.clear();
  t.host.onYield = [&] { t.owner.reset(); };
  t.b->OnMouseDown(1, 0, 1, 1);
  EXPECT_EQ(t.log, (EventLog{"Yield"}));
}

TEST(XpBPaint, ColourAndCoordinateArithmetic) {
  const struct {
    Rgb color;
    std::int32_t amount;
    Rgb shifted;
  } shifts[] = {
      {0x00102030, -32, 0x00000010},
      {0x00F0E0D0, 20, 0x00FFF4E4},
      {0x7F123456, 0, 0x00123456},
      {0x00808080, 40000, 0x00FFFFFF},
      {0x00808080, -2147483647 - 1, 0x00000000},
  };
  for (const auto& row : shifts) {
    EXPECT_EQ(ShiftColor(row.color, row.amount), row.shifted) << std::hex << row.color;
  }
  const ClassicColors colors;
  EXPECT_EQ(ResolveColor(SystemColor(SystemColorIndex::kButtonShadow), colors), 0x00808080u);
  EXPECT_EQ(ResolveColor(0x01000000, colors), 0x01000000u);  // all 32 bits kept
  for (const auto& [value, rounded] : {std::pair{2.5, 2},
                                       {3.5, 4},
                                       {-2.5, -2},
                                       {-3.5, -4},
                                       {2.49, 2},
                                       {2.51, 3},
                                       {-19932.5, -19932}}) {
    EXPECT_EQ(RoundHalfEven(value), rounded) << value;
  }
  EXPECT_EQ(Narrow(-2147483648LL), -2147483647 - 1);
  EXPECT_THROW(Narrow(2147483648LL), std::overflow_error);
}

}  // namespace
}  // namespace brackwater
