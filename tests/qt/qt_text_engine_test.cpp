#include "platform/qt/qt_text_engine.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <string>

#include "platform/gui/device_context.h"

namespace brackwater {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

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

}  // namespace
}  // namespace brackwater
