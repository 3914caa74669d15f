#include "platform/qt/qt_text_engine.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <algorithm>
#include <string>

#include "platform/gui/device_context.h"
#include "platform/qt/qt_picture.h"
#include "platform/qt/qt_system_colors.h"

namespace brackwater {
namespace {

constexpr Rgb kFace = 0x00C8D0D4;
constexpr unsigned kMeasure =
    TextFormat::kCalcRect | TextFormat::kWordBreak | TextFormat::kVCenter | TextFormat::kCenter;
constexpr unsigned kDraw = TextFormat::kWordBreak | TextFormat::kVCenter | TextFormat::kCenter;

QString Resource(const char* name) {
  return QString::fromUtf8(BRACKWATER_RESOURCES) + QLatin1Char('/') + QString::fromUtf8(name);
}

// The pixels that text touched (antialiased edges included), as a box; empty if none.
Rect InkBounds(const Image& image, std::uint32_t background) {
  Rect box{image.width, image.height, 0, 0};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.pixels[static_cast<std::size_t>(y * image.width + x)] == background) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
             std::max(box.bottom, y + 1)};
    }
  }
  return box;
}

class QtTextEngineTest : public ::testing::Test {
 protected:
  QtTextEngineTest() : font_(QStringLiteral("DejaVu Sans"), 9), text_(font_) {}

  QFontMetrics Metrics() {
    QImage device(1, 1, QImage::Format_RGB32);
    return QFontMetrics(font_, &device);
  }

  QFont font_;
  QtTextEngine text_;
  ClassicColors colors_;
};

TEST_F(QtTextEngineTest, CaptionIsMeasuredWithMarginsAndDrawnInsideItsRect) {
  Image image(150, 30, 0xFFD4D0C8);
  DeviceContext dc(image, colors_, text_);
  const Rect content{4, 4, 146, 26};
  Rect caption = content;
  CaptionParams params;
  const int height = dc.DrawText(u"Export &notes", caption, kMeasure, params);

  const QFontMetrics metrics = Metrics();
  EXPECT_EQ(caption.left, content.left);
  EXPECT_EQ(caption.top, content.top);
  EXPECT_EQ(caption.right - caption.left,
            metrics.horizontalAdvance(QStringLiteral("Export notes")) + 2);
  EXPECT_EQ(height, metrics.height());
  EXPECT_EQ(caption.bottom - caption.top, height);
  EXPECT_EQ(params.lengthDrawn, 13);
  EXPECT_EQ(image.pixels, Image(150, 30, 0xFFD4D0C8).pixels) << "measuring draws nothing";

  // Placed as the button places it: centred in the content area.
  const int w = caption.right - caption.left;
  const int h = caption.bottom - caption.top;
  Rect placed{content.left + (content.right - content.left - w) / 2,
              content.top + (content.bottom - content.top - h) / 2, 0, 0};
  placed.right = placed.left + w;
  placed.bottom = placed.top + h;
  Rect drawn = placed;
  EXPECT_EQ(dc.DrawText(u"Export &notes", drawn, kDraw, params), height);
  EXPECT_EQ(drawn, placed);
  const Rect ink = InkBounds(image, 0xFFD4D0C8);
  EXPECT_GE(ink.left, placed.left);
  EXPECT_LE(ink.right, placed.right);
  EXPECT_GE(ink.top, placed.top);
  EXPECT_LE(ink.bottom, placed.bottom);
  EXPECT_GT(ink.right - ink.left, w / 2) << "the caption was drawn";
}

TEST_F(QtTextEngineTest, LinesWrapAtSpacesAndAreCentred) {
  const QFontMetrics metrics = Metrics();
  const int wordWidth = metrics.horizontalAdvance(QStringLiteral("HHHH"));
  Image image(wordWidth * 3, 3 * metrics.height(), 0xFFFFFFFF);
  DeviceContext dc(image, colors_, text_);
  Rect rect{0, 0, image.width, image.height};
  CaptionParams params;
  // Each word fits beside the margins, two words side by side do not.
  Rect measured = {0, 0, wordWidth + metrics.horizontalAdvance(QStringLiteral(" H")) + 2, 0};
  EXPECT_EQ(dc.DrawText(u"HHHH HHHH", measured, kMeasure, params), 2 * metrics.height());
  EXPECT_EQ(measured.right, wordWidth + 2);

  dc.DrawText(u"HH", rect, kDraw, params);
  const Rect ink = InkBounds(image, 0xFFFFFFFF);
  const int leftGap = ink.left - rect.left;
  const int rightGap = rect.right - ink.right;
  EXPECT_LE(std::abs(leftGap - rightGap), 2) << leftGap << " left, " << rightGap << " right";
  EXPECT_LT(ink.bottom, metrics.height()) << "DT_VCENTER without DT_SINGLELINE keeps the top";
}

TEST_F(QtTextEngineTest, AmpersandUnderlinesTheMarkedCharacterOnly) {
  const QFontMetrics metrics = Metrics();
  Image marked(80, metrics.height() + 4, 0xFFFFFFFF);
  Image plain = marked;
  DeviceContext markedDc(marked, colors_, text_);
  DeviceContext plainDc(plain, colors_, text_);
  CaptionParams params;
  Rect rect{0, 0, 80, marked.height};
  markedDc.DrawText(u"S&ave", rect, 0, params);
  plainDc.DrawText(u"Save", rect, 0, params);

  // Underline row below the baseline, under "a" (after the left margin and "S").
  const int from = 1 + metrics.horizontalAdvance(QStringLiteral("S"));
  const Rect underline{
      from, metrics.ascent() + metrics.underlinePos(),
      from + metrics.horizontalAdvance(QStringLiteral("a")),
      metrics.ascent() + metrics.underlinePos() + std::max(1, metrics.lineWidth())};
  int changed = 0;
  for (int y = 0; y < marked.height; ++y) {
    for (int x = 0; x < marked.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * marked.width + x);
      if (marked.pixels[i] == plain.pixels[i]) continue;
      ++changed;
      EXPECT_TRUE(x >= underline.left && x < underline.right && y >= underline.top &&
                  y < underline.bottom)
          << "unexpected change at " << x << ", " << y;
      EXPECT_EQ(marked.pixels[i], 0xFF000000u) << x << ", " << y;
    }
  }
  EXPECT_EQ(changed, (underline.right - underline.left) * (underline.bottom - underline.top));

  Rect doubled{0, 0, 200, 50};
  markedDc.DrawText(u"R&&D", doubled, kMeasure, params);
  EXPECT_EQ(doubled.right, metrics.horizontalAdvance(QStringLiteral("R&D")) + 2);
}

TEST(QtPictureTest, PngAndGifLoadAsBitmapsAndIcoAsAnIconWithItsMask) {
  const PicturePtr png = LoadPicture(Resource("brackwater-32.png"));
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->Kind(), PictureKind::kBitmap);
  EXPECT_EQ(png->Pixels().width, 32);
  EXPECT_EQ(png->Pixels().height, 32);
  EXPECT_EQ(png->WidthHimetric(), 847);
  EXPECT_EQ(png->HeightHimetric(), 847);
  EXPECT_EQ(png->Pixels().pixels, [] {
    const QImage reference =
        QImage(Resource("brackwater-32.png")).convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) pixels.push_back(reference.pixel(x, y));
    }
    return pixels;
  }());

  const PicturePtr gif = LoadPicture(Resource("background.gif"));
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(gif->Kind(), PictureKind::kBitmap);
  EXPECT_EQ(gif->Pixels().width, 338);
  EXPECT_EQ(gif->Pixels().height, 162);

  const PicturePtr ico = LoadPicture(Resource("brackwater.ico"));
  ASSERT_NE(ico, nullptr);
  EXPECT_EQ(ico->Kind(), PictureKind::kIcon);
  const Image& icon = ico->Pixels();
  ASSERT_EQ(icon.width, 32) << "the desktop icon size of the two in the file";
  ASSERT_EQ(icon.height, 32);
  for (const auto& [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) {
    EXPECT_EQ(icon.pixels[static_cast<std::size_t>(y * 32 + x)] >> 24, 0u) << x << ", " << y;
  }
  EXPECT_EQ(icon.pixels[16 * 32 + 16] >> 24, 0xFFu);

  // Drawn on a face, the masked corners show the face.
  ClassicColors colors;
  QtTextEngine text;
  Image surface(40, 40, 0xFFD4D0C8);
  DeviceContext dc(surface, colors, text);
  dc.DrawPicture(4, 4, 32, 32, icon, 32, 32);
  EXPECT_EQ(dc.GetPixel(4, 4), kFace);
  EXPECT_EQ(dc.GetPixel(35, 35), kFace);
  EXPECT_NE(dc.GetPixel(20, 20), kFace);

  QString error;
  EXPECT_EQ(LoadPicture(Resource("no-such-picture.bmp"), &error), nullptr);
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(LoadPicture(Resource("main_window.design"), &error), nullptr);
  EXPECT_FALSE(error.isEmpty());
}

TEST(QtPictureTest, HimetricSizesConvertBackToTheirPixels) {
  for (int pixels = 0; pixels <= 4096; ++pixels) {
    const std::int64_t himetric = PixelsToHimetric(pixels);
    const std::int64_t back = (himetric * 96 + 1270) / 2540;
    ASSERT_EQ(back, pixels) << himetric;
  }
}

TEST(QtSystemColorsTest, ButtonColoursFollowTheApplicationPalette) {
  const QPalette saved = QApplication::palette();
  QPalette palette = saved;
  const std::vector<std::pair<int, QPalette::ColorRole>> roles = {
      {15, QPalette::Button}, {16, QPalette::Dark},   {18, QPalette::ButtonText},
      {20, QPalette::Light},  {21, QPalette::Shadow}, {22, QPalette::Midlight},
  };
  for (std::size_t i = 0; i < roles.size(); ++i) {
    palette.setColor(roles[i].second, QColor(static_cast<int>(10 + i), 20, 30));
  }
  QApplication::setPalette(palette);
  const QtSystemColors colors;
  for (std::size_t i = 0; i < roles.size(); ++i) {
    EXPECT_EQ(colors.Color(roles[i].first), static_cast<Rgb>(0x001E1400 + 10 + i))
        << roles[i].first;
  }
  EXPECT_EQ(colors.Color(24), ClassicColors().Color(24));
  QApplication::setPalette(saved);
}

}  // namespace
}  // namespace brackwater
