#include "platform/qt/qt_text_engine.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <algorithm>
#include <optional>
#include <string>

#include "platform/gui/device_context.h"
#include "platform/qt/qt_picture.h"
#include "platform/qt/qt_system_colors.h"

namespace brackwater {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

QString Resource(const char* name) {
  return QString::fromUtf8(BRACKWATER_RESOURCES) + QLatin1Char('/') + QString::fromUtf8(name);
}

// The pixels that text touched (antialiased edges included), as a box; empty if none.
Rect InkBounds(const Image& image) {
  Rect box{image.width, image.height, 0, 0};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.pixels[static_cast<std::size_t>(y * image.width + x)] == kWhite) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
             std::max(box.bottom, y + 1)};
    }
  }
  return box;
}

// Each caption in a rectangle at (3, 2): measured as wide as its widest line's advance and the
// margins, as high as its lines in the font's line height, and drawn from the left margin on
// baselines one line height apart, clipped to the rectangle, with the marked character
// underlined in the text colour below the baseline.
TEST(QtTextEngine, CaptionsAreMeasuredAndDrawnInTheFontsMetrics) {
  const QFont font(QStringLiteral("DejaVu Sans"), 9);
  QtTextEngine engine(font);
  const ClassicColors colors;
  const QImage device(1, 1, QImage::Format_RGB32);
  const QFontMetrics metrics(font, &device);
  const int h = metrics.height();
  const auto advance = [&](const char* run) {
    return metrics.horizontalAdvance(QString::fromUtf8(run));
  };
  const struct {
    std::u16string text;
    int width;  // of the rectangle
    int lines;
    int measuredWidth;
    int markedLine;
    int markedFrom;  // the advance before the marked character in its line
    int markedWidth;
  } rows[] = {
      {u"Export &notes", 200, 1, advance("Export notes") + 2, 0, advance("Export "), advance("n")},
      {u"HHHH H&HHH", advance("HHHH H") + 1, 2, advance("HHHH") + 2, 1, advance("H"), advance("H")},
      {u"&Wwwwwwwwwwww", 20, 1, advance("Wwwwwwwwwwww") + 2, 0, 0, advance("W")},
  };
  for (const auto& row : rows) {
    std::u16string plain = row.text;
    std::erase(plain, u'&');
    SCOPED_TRACE(QString::fromStdU16String(plain).toStdString());
    const Rect rect{3, 2, 3 + row.width, 2 + row.lines * h};
    Image marked(240, 3 * h, kWhite);
    Image unmarked = marked;
    DeviceContext dc(marked, colors, engine);
    CaptionParams params;
    Rect measured = rect;
    EXPECT_EQ(
        dc.DrawText(row.text, measured, TextFormat::kCalcRect | TextFormat::kWordBreak, params),
        row.lines * h);
    EXPECT_EQ(measured, (Rect{3, 2, 3 + row.measuredWidth, rect.bottom}));
    EXPECT_EQ(marked.pixels, unmarked.pixels) << "measuring draws nothing";

    Rect drawn = rect;
    dc.SetTextColor(0x00123456);
    EXPECT_EQ(dc.DrawText(row.text, drawn, TextFormat::kWordBreak, params), row.lines * h);
    const Rect ink = InkBounds(marked);
    EXPECT_GE(ink.left, rect.left + 1);
    EXPECT_LE(ink.right, rect.right);
    EXPECT_GE(ink.top, rect.top);
    EXPECT_LE(ink.bottom, rect.bottom);
    EXPECT_GT(ink.bottom, rect.bottom - h + metrics.ascent() / 2) << "the last line drawn";

    DeviceContext plainDc(unmarked, colors, engine);
    plainDc.SetTextColor(0x00123456);
    drawn = rect;
    plainDc.DrawText(plain, drawn, TextFormat::kWordBreak, params);
    const int x = rect.left + 1 + row.markedFrom;
    const int y = rect.top + row.markedLine * h + metrics.ascent() + metrics.underlinePos();
    const Rect underline{x, y, x + row.markedWidth, y + std::max(1, metrics.lineWidth())};
    int changed = 0;
    for (int py = 0; py < marked.height; ++py) {
      for (int px = 0; px < marked.width; ++px) {
        const std::size_t i = static_cast<std::size_t>(py * marked.width + px);
        if (marked.pixels[i] == unmarked.pixels[i]) continue;
        ++changed;
        EXPECT_TRUE(px >= underline.left && px < underline.right && py >= underline.top &&
                    py < underline.bottom)
            << "a change at " << px << ", " << py;
        EXPECT_EQ(marked.pixels[i], 0xFF563412u) << px << ", " << py;
      }
    }
    EXPECT_EQ(changed, (underline.right - underline.left) * (underline.bottom - underline.top));
  }
}

TEST(QtPicture, LoadsBitmapsAndIconsWithTheirMasksOrNothing) {
  const struct {
    const char* file;
    std::optional<PictureKind> kind;
    int width;
    int height;
  } rows[] = {
      {"brackwater-32.png", PictureKind::kBitmap, 32, 32},
      {"background.gif", PictureKind::kBitmap, 338, 162},
      // The desktop icon size of the two in the file.
      {"brackwater.ico", PictureKind::kIcon, 32, 32},
      {"no-such-picture.bmp", std::nullopt, 0, 0},
      {"main_window.design", std::nullopt, 0, 0},
  };
  for (const auto& row : rows) {
    QString error;
    const PicturePtr picture = LoadPicture(Resource(row.file), &error);
    EXPECT_EQ(picture != nullptr, row.kind.has_value()) << row.file;
    EXPECT_EQ(error.isEmpty(), row.kind.has_value()) << row.file;
    if (picture == nullptr || !row.kind) continue;
    EXPECT_EQ(picture->Kind(), *row.kind) << row.file;
    EXPECT_EQ(picture->Pixels().width, row.width) << row.file;
    EXPECT_EQ(picture->Pixels().height, row.height) << row.file;
  }

  const PicturePtr png = LoadPicture(Resource("brackwater-32.png"));
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->WidthHimetric(), 847);
  EXPECT_EQ(png->HeightHimetric(), 847);
  const QImage reference =
      QImage(Resource("brackwater-32.png")).convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      ASSERT_EQ(png->Pixels().pixels[static_cast<std::size_t>(y * 32 + x)], reference.pixel(x, y))
          << x << ", " << y;
    }
  }
  // The icon's mask leaves its corners transparent and its middle opaque.
  const PicturePtr ico = LoadPicture(Resource("brackwater.ico"));
  ASSERT_NE(ico, nullptr);
  for (const auto& [x, y, alpha] :
       {std::tuple{0, 0, 0u}, {31, 0, 0u}, {0, 31, 0u}, {31, 31, 0u}, {16, 16, 0xFFu}}) {
    EXPECT_EQ(ico->Pixels().pixels[static_cast<std::size_t>(y * 32 + x)] >> 24, alpha)
        << x << ", " << y;
  }
}

TEST(QtPicture, HimetricSizesConvertBackToTheirPixels) {
  for (int pixels = 0; pixels <= 4096; ++pixels) {
    const std::int64_t himetric = PixelsToHimetric(pixels);
    ASSERT_EQ((himetric * 96 + 1270) / 2540, pixels) << himetric;
  }
}

TEST(QtSystemColors, ButtonColoursFollowTheApplicationPalette) {
  const QPalette saved = QApplication::palette();
  QPalette palette = saved;
  const std::pair<int, QPalette::ColorRole> roles[] = {
      {15, QPalette::Button}, {16, QPalette::Dark},   {18, QPalette::ButtonText},
      {20, QPalette::Light},  {21, QPalette::Shadow}, {22, QPalette::Midlight},
  };
  for (const auto& [index, role] : roles) palette.setColor(role, QColor(index, 20, 30));
  QApplication::setPalette(palette);
  const QtSystemColors colors;
  for (const auto& [index, role] : roles) {
    EXPECT_EQ(colors.Color(index), static_cast<Rgb>(0x001E1400 + index)) << index;
  }
  // The others are the classic ones.
  EXPECT_EQ(colors.Color(24), ClassicColors().Color(24));
  QApplication::setPalette(saved);
}

}  // namespace
}  // namespace brackwater
