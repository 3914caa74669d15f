#include "platform/win32/win32_text_engine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brackwater {
namespace {

constexpr unsigned kMeasure = 0x415;  // DT_CALCRECT | DT_WORDBREAK | DT_VCENTER | DT_CENTER
constexpr unsigned kDraw = 0x15;      // DT_WORDBREAK | DT_VCENTER | DT_CENTER

class Win32TextEngineTest : public ::testing::Test {
 protected:
  Win32TextEngineTest() {
    font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    text_.SetFont(font_);
  }

  Rect Measure(std::u16string_view caption) {
    Image image(60, 30, 0xFFFFFFFF);
    DeviceContext dc(image, colors_, text_);
    Rect rect{5, 5, 55, 25};
    CaptionParams params;
    dc.DrawText(caption, rect, kMeasure, params);
    return rect;
  }

  HFONT font_;
  ClassicColors colors_;
  Win32TextEngine text_;
};

TEST_F(Win32TextEngineTest, MeasuringCountsBothMarginsAndHidesTheAccessMark) {
  const HDC screen = ::GetDC(nullptr);
  const HGDIOBJ old = ::SelectObject(screen, font_);
  SIZE open{};
  ::GetTextExtentPoint32W(screen, L"Open", 4, &open);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);

  const Rect measured = Measure(u"Open");
  EXPECT_EQ(measured.left, 5);
  EXPECT_EQ(measured.top, 5);
  EXPECT_EQ(measured.right - measured.left, open.cx + 2);
  EXPECT_EQ(measured.bottom - measured.top, open.cy);
  EXPECT_EQ(Measure(u"&Open"), measured);
  // Too wide for the rectangle less its margins: broken at the spaces, whole lines one under
  // the other.
  const int wrapped = Measure(u"Open Open Open").bottom - 5;
  EXPECT_GT(wrapped, open.cy);
  EXPECT_EQ(wrapped % open.cy, 0);
}

TEST_F(Win32TextEngineTest, DrawsInTheTextColourInsideItsRectangleAndKeepsTheImageOpaque) {
  Image image(60, 30, 0xFFFFFFFF);
  DeviceContext dc(image, colors_, text_);
  dc.SetTextColor(0x0000FF);  // red, as 0x00BBGGRR
  Rect rect{10, 5, 50, 25};
  CaptionParams params;
  EXPECT_GT(dc.DrawText(u"WWWWWWWWWW", rect, kDraw, params), 0);

  int inked = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t pixel = image.pixels[static_cast<std::size_t>(y * image.width + x)];
      EXPECT_EQ(pixel >> 24, 0xFFu) << x << "," << y;
      if (pixel == 0xFFFFFFFF) continue;
      // DrawTextEx clips to its rectangle; the text is red, blended into white at most.
      EXPECT_TRUE(x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom)
          << x << "," << y;
      EXPECT_EQ((pixel >> 16) & 0xFF, 0xFFu) << x << "," << y;
      ++inked;
    }
  }
  EXPECT_GT(inked, 20);
}

}  // namespace
}  // namespace brackwater
