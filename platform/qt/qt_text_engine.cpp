#include "platform/qt/qt_text_engine.h"

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>

namespace brackwater {

namespace {

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtTextEngine::QtTextEngine(const QFont& font) : font_(font) {}

int QtTextEngine::DrawText(DeviceContext& dc, std::u16string_view text, Rect& rect, unsigned format,
                           CaptionParams& params) {
  Image& target = dc.Target();
  // Measured with the same device as the painting below (an image at the default resolution),
  // so that the measured block and the drawn text agree.
  QImage surface(reinterpret_cast<uchar*>(target.pixels.data()), target.width, target.height,
                 static_cast<qsizetype>(target.width) * 4, QImage::Format_RGB32);
  const QFontMetrics metrics =
      surface.isNull() ? QFontMetrics(font_) : QFontMetrics(font_, &surface);
  const auto measure = [&](std::u16string_view run) {
    return metrics.horizontalAdvance(ToQString(run));
  };
  if ((format & TextFormat::kCalcRect) != 0 || surface.isNull()) {
    return LayOutText(text, rect, format, params, metrics.height(), measure,
                      [](std::u16string_view, int, int, std::size_t) {});
  }

  QPainter painter(&surface);
  painter.setFont(font_);
  const Rgb color = dc.TextColor();
  const QColor pen(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                   static_cast<int>((color >> 16) & 0xFF));
  painter.setPen(pen);
  // DrawTextEx clips to the formatting rectangle unless told not to.
  painter.setClipRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  const int underlineThickness = std::max(1, metrics.lineWidth());
  return LayOutText(text, rect, format, params, metrics.height(), measure,
                    [&](std::u16string_view line, int x, int y, std::size_t underline) {
                      const int baseline = y + metrics.ascent();
                      painter.drawText(x, baseline, ToQString(line));
                      if (underline == std::u16string_view::npos) return;
                      const int from = measure(line.substr(0, underline));
                      const int width = measure(line.substr(underline, 1));
                      painter.fillRect(x + from, baseline + metrics.underlinePos(), width,
                                       underlineThickness, pen);
                    });
}

}  // namespace brackwater
