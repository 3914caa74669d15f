#include "platform/gui/device_context.h"

#include <algorithm>
#include <cstdlib>

namespace brackwater {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

constexpr std::uint32_t ToPixel(Rgb color) {
  return kOpaque | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

constexpr Rgb ToRgb(std::uint32_t pixel) {
  return ((pixel >> 16) & 0xFFu) | (pixel & 0xFF00u) | ((pixel & 0xFFu) << 16);
}

// Spans are clipped in 64 bits so that coordinates near the 32-bit limits (and right + 1 of
// such a corner) neither overflow nor loop over pixels that are not there.
void FillClipped(Image& image, std::int64_t left, std::int64_t top, std::int64_t right,
                 std::int64_t bottom, std::uint32_t pixel) {
  const auto l = std::max<std::int64_t>(left, 0);
  const auto t = std::max<std::int64_t>(top, 0);
  const auto r = std::min<std::int64_t>(right, image.width);
  const auto b = std::min<std::int64_t>(bottom, image.height);
  if (l >= r || t >= b) return;
  for (auto y = t; y < b; ++y) {
    auto row = image.pixels.begin() + y * image.width;
    std::fill(row + l, row + r, pixel);
  }
}

void FrameClipped(Image& image, std::int64_t left, std::int64_t top, std::int64_t right,
                  std::int64_t bottom, std::uint32_t pixel) {
  if (left >= right || top >= bottom) return;
  FillClipped(image, left, top, right, top + 1, pixel);
  FillClipped(image, left, bottom - 1, right, bottom, pixel);
  FillClipped(image, left, top, left + 1, bottom, pixel);
  FillClipped(image, right - 1, top, right, bottom, pixel);
}

bool Inside(const Image& image, std::int64_t x, std::int64_t y) {
  return x >= 0 && y >= 0 && x < image.width && y < image.height;
}

// GDI refuses coordinates beyond 27 bits; keeping sloped lines inside that range also keeps
// the closed-form stepping below within 64 bits.
constexpr std::int64_t kLineLimit = std::int64_t{1} << 27;

// What DrawState takes as ink: the image goes onto a white monochrome bitmap, where every
// pixel but the white background turns black. Pixels within a few steps of white count as the
// background too, so that a picture's slightly off-white paper stays clear.
constexpr std::uint32_t kNearWhite = 0xF0;

bool IsInk(std::uint32_t pixel) {
  if ((pixel >> 24) < 0x80u) return false;
  const std::uint32_t r = (pixel >> 16) & 0xFFu;
  const std::uint32_t g = (pixel >> 8) & 0xFFu;
  const std::uint32_t b = pixel & 0xFFu;
  return r < kNearWhite || g < kNearWhite || b < kNearWhite;
}

std::uint32_t Blend(std::uint32_t source, std::uint32_t target) {
  const std::uint32_t a = source >> 24;
  if (a == 0xFFu) return source;
  std::uint32_t result = kOpaque;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t s = (source >> shift) & 0xFFu;
    const std::uint32_t t = (target >> shift) & 0xFFu;
    result |= ((s * a + t * (255 - a) + 127) / 255) << shift;
  }
  return result;
}

// Destination span [first, last) of a copy to `at` of `length` pixels, clipped to [0, limit).
struct Span {
  std::int64_t first;
  std::int64_t last;
};

Span ClipSpan(std::int64_t at, std::int64_t length, std::int64_t limit) {
  return {std::max<std::int64_t>(at, 0), std::min<std::int64_t>(at + length, limit)};
}

// One line of a laid-out caption: a run of the shown text, its width, and the character (an
// index into the shown text) that an "&" marks on it, if any.
struct TextLine {
  std::size_t begin = 0;
  std::size_t end = 0;
  int width = 0;
  std::size_t underline = std::u16string::npos;
};

}  // namespace

Image::Image(int w, int h, std::uint32_t fill)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

DeviceContext::DeviceContext(Image& image, const SystemColors& colors, TextEngine& text)
    : image_(image), colors_(colors), text_(text) {}

void DeviceContext::FillRect(const Rect& rect, Rgb color) {
  FillClipped(image_, rect.left, rect.top, rect.right, rect.bottom, ToPixel(color));
}

void DeviceContext::FrameRect(const Rect& rect, Rgb color) {
  FrameClipped(image_, rect.left, rect.top, rect.right, rect.bottom, ToPixel(color));
}

void DeviceContext::Line(int x1, int y1, int x2, int y2, Rgb color) {
  const std::uint32_t pixel = ToPixel(color);
  if (y1 == y2) {
    FillClipped(image_, x1 < x2 ? x1 : std::int64_t{x2} + 1, y1,
                x1 < x2 ? x2 : std::int64_t{x1} + 1, std::int64_t{y1} + 1, pixel);
    return;
  }
  if (x1 == x2) {
    FillClipped(image_, x1, y1 < y2 ? y1 : std::int64_t{y2} + 1, std::int64_t{x1} + 1,
                y1 < y2 ? y2 : std::int64_t{y1} + 1, pixel);
    return;
  }
  for (const std::int64_t c : {x1, y1, x2, y2}) {
    if (c < -kLineLimit || c > kLineLimit) return;
  }
  const std::int64_t dx = std::int64_t{x2} - x1;
  const std::int64_t dy = std::int64_t{y2} - y1;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const std::int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);
  const std::int64_t minor = xMajor ? std::llabs(dy) : std::llabs(dx);
  const std::int64_t majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
  const std::int64_t minorStep = (xMajor ? dy : dx) > 0 ? 1 : -1;
  const std::int64_t majorStart = xMajor ? x1 : y1;
  const std::int64_t minorStart = xMajor ? y1 : x1;
  const std::int64_t majorLimit = xMajor ? image_.width : image_.height;
  // Only the steps whose major coordinate lies on the image are visited.
  std::int64_t first = 0;
  std::int64_t last = major;  // exclusive: the end point is not drawn
  if (majorStep > 0) {
    first = std::max(first, -majorStart);
    last = std::min(last, majorLimit - majorStart);
  } else {
    first = std::max(first, majorStart - majorLimit + 1);
    last = std::min(last, majorStart + 1);
  }
  for (std::int64_t k = first; k < last; ++k) {
    // The minor coordinate nearest the ideal line, halves rounded away from the start.
    const std::int64_t offset = (2 * k * minor + major) / (2 * major);
    const std::int64_t a = majorStart + majorStep * k;
    const std::int64_t b = minorStart + minorStep * offset;
    const std::int64_t x = xMajor ? a : b;
    const std::int64_t y = xMajor ? b : a;
    if (Inside(image_, x, y)) image_.pixels[static_cast<std::size_t>(y * image_.width + x)] = pixel;
  }
}

void DeviceContext::Box(int x1, int y1, int x2, int y2, Rgb color) {
  FrameClipped(image_, std::min(x1, x2), std::min(y1, y2), std::int64_t{std::max(x1, x2)} + 1,
               std::int64_t{std::max(y1, y2)} + 1, ToPixel(color));
}

void DeviceContext::SetPixel(int x, int y, Rgb color) {
  if (!Inside(image_, x, y)) return;
  image_.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.width) +
                static_cast<std::size_t>(x)] = ToPixel(color);
}

Rgb DeviceContext::GetPixel(int x, int y) const {
  if (!Inside(image_, x, y)) return 0xFFFFFFFFu;
  return ToRgb(image_.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.width) +
                             static_cast<std::size_t>(x)]);
}

void DeviceContext::DrawFocusRect(const Rect& rect) {
  const std::int64_t left = rect.left;
  const std::int64_t top = rect.top;
  const std::int64_t right = rect.right;
  const std::int64_t bottom = rect.bottom;
  if (left >= right || top >= bottom) return;
  // The dots are a checkerboard anchored at the surface's origin (the brush origin of the
  // pattern Windows inverts with), so they start at the top-left pixel whenever left + top is
  // even, as for the button's focus rectangle at (4, 4). Each edge pixel is inverted once,
  // corners included, so a second call restores the image.
  const auto invert = [this](std::int64_t x, std::int64_t y) {
    if (((x + y) & 1) != 0 || !Inside(image_, x, y)) return;
    image_.pixels[static_cast<std::size_t>(y * image_.width + x)] ^= 0x00FFFFFFu;
  };
  const Span columns = ClipSpan(left, right - left, image_.width);
  for (std::int64_t x = columns.first; x < columns.last; ++x) {
    invert(x, top);
    if (bottom - 1 != top) invert(x, bottom - 1);
  }
  const Span rows = ClipSpan(top + 1, bottom - top - 2, image_.height);
  for (std::int64_t y = rows.first; y < rows.last; ++y) {
    invert(left, y);
    if (right - 1 != left) invert(right - 1, y);
  }
}

void DeviceContext::TransparentCopy(int x, int y, int w, int h, const Image& source, int sx, int sy,
                                    Rgb transparent) {
  // Both clips at once: the destination span is narrowed to where the source has pixels.
  const std::int64_t shiftX = std::int64_t{sx} - x;
  const std::int64_t shiftY = std::int64_t{sy} - y;
  const Span columns = ClipSpan(x, w, image_.width);
  const Span rows = ClipSpan(y, h, image_.height);
  const std::int64_t firstX = std::max(columns.first, -shiftX);
  const std::int64_t lastX = std::min(columns.last, source.width - shiftX);
  const std::int64_t firstY = std::max(rows.first, -shiftY);
  const std::int64_t lastY = std::min(rows.last, source.height - shiftY);
  for (std::int64_t ty = firstY; ty < lastY; ++ty) {
    const std::int64_t from = (ty + shiftY) * source.width + shiftX;
    std::uint32_t* to = image_.pixels.data() + ty * image_.width;
    for (std::int64_t tx = firstX; tx < lastX; ++tx) {
      const std::uint32_t pixel = source.pixels[static_cast<std::size_t>(from + tx)];
      // A transparent colour with bits above the RGB ones (an unresolved system colour) matches
      // nothing, so the whole block is copied.
      if (ToRgb(pixel) != transparent) to[tx] = pixel | kOpaque;
    }
  }
}

void DeviceContext::DrawPicture(int x, int y, int w, int h, const Image& source, int sw, int sh) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  const Span columns = ClipSpan(x, w, image_.width);
  const Span rows = ClipSpan(y, h, image_.height);
  for (std::int64_t ty = rows.first; ty < rows.last; ++ty) {
    // Nearest neighbour: the source pixel under the centre of the destination pixel.
    const std::int64_t srcY = ((ty - y) * 2 + 1) * sh / (std::int64_t{h} * 2);
    if (srcY >= source.height) continue;
    std::uint32_t* to = image_.pixels.data() + ty * image_.width;
    for (std::int64_t tx = columns.first; tx < columns.last; ++tx) {
      const std::int64_t srcX = ((tx - x) * 2 + 1) * sw / (std::int64_t{w} * 2);
      if (srcX >= source.width) continue;
      const std::uint32_t pixel =
          source.pixels[static_cast<std::size_t>(srcY * source.width + srcX)];
      if ((pixel >> 24) != 0) to[tx] = Blend(pixel, to[tx]);
    }
  }
}

void DeviceContext::DrawDisabled(int x, int y, const Image& source) {
  // Ink is every pixel at least half opaque that is not (nearly) white: light greys and
  // colours too, as the system's disabled drawing has them. White and transparent pixels leave
  // the surface as it is.
  const auto emboss = [&](std::int64_t atX, std::int64_t atY, std::uint32_t pixel) {
    const Span columns = ClipSpan(atX, source.width, image_.width);
    const Span rows = ClipSpan(atY, source.height, image_.height);
    for (std::int64_t ty = rows.first; ty < rows.last; ++ty) {
      const std::int64_t from = (ty - atY) * source.width - atX;
      std::uint32_t* to = image_.pixels.data() + ty * image_.width;
      for (std::int64_t tx = columns.first; tx < columns.last; ++tx) {
        if (IsInk(source.pixels[static_cast<std::size_t>(from + tx)])) to[tx] = pixel;
      }
    }
  };
  emboss(std::int64_t{x} + 1, std::int64_t{y} + 1,
         ToPixel(colors_.Color(SystemColorIndex::kButtonHighlight)));
  emboss(x, y, ToPixel(colors_.Color(SystemColorIndex::kButtonShadow)));
}

int DeviceContext::DrawText(std::u16string_view text, Rect& rect, unsigned format,
                            CaptionParams& params) {
  return text_.DrawText(*this, text, rect, format, params);
}

int LayOutText(std::u16string_view text, Rect& rect, unsigned format, CaptionParams& params,
               int lineHeight, const MeasureRun& measure, const DrawRun& draw) {
  params.lengthDrawn = static_cast<std::int32_t>(text.size());
  // Kept from call to call, so that a repaint allocates nothing once its caption has been laid
  // out before. Layouts do not nest: the callbacks only measure and draw runs.
  thread_local std::u16string shown;
  thread_local std::vector<std::size_t> marks;
  thread_local std::vector<TextLine> lines;
  shown.clear();
  marks.clear();
  lines.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      shown.push_back(text[i]);
    } else if (i + 1 < text.size() && text[i + 1] == u'&') {
      shown.push_back(u'&');
      ++i;
    } else if (i + 1 < text.size()) {
      marks.push_back(shown.size());
    }
  }

  const std::int64_t available =
      std::int64_t{rect.right} - rect.left - params.leftMargin - params.rightMargin;
  const std::u16string_view all = shown;
  const auto emit = [&](std::size_t begin, std::size_t end) {
    TextLine line{begin, end, measure(all.substr(begin, end - begin))};
    for (const std::size_t mark : marks) {
      if (mark >= begin && mark < end) line.underline = mark;
    }
    lines.push_back(line);
  };
  const auto wordEnd = [&](std::size_t pos, std::size_t end) {
    while (pos < end && all[pos] == u' ') ++pos;
    while (pos < end && all[pos] != u' ') ++pos;
    return pos;
  };
  const auto wrapParagraph = [&](std::size_t pos, std::size_t end) {
    do {
      std::size_t lineEnd = end;
      if ((format & TextFormat::kWordBreak) != 0) {
        lineEnd = wordEnd(pos, end);
        while (lineEnd < end) {
          const std::size_t next = wordEnd(lineEnd, end);
          if (measure(all.substr(pos, next - pos)) > available) break;
          lineEnd = next;
        }
      }
      emit(pos, lineEnd);
      pos = lineEnd;
      while (pos < end && all[pos] == u' ') ++pos;
    } while (pos < end);
  };
  for (std::size_t start = 0; start < all.size();) {
    std::size_t end = all.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) end = all.size();
    wrapParagraph(start, end);
    if (end == all.size()) break;
    start = end + (all[end] == u'\r' && end + 1 < all.size() && all[end + 1] == u'\n' ? 2 : 1);
  }

  const int height = static_cast<int>(lines.size()) * lineHeight;
  if ((format & TextFormat::kCalcRect) != 0) {
    int widest = 0;
    for (const TextLine& line : lines) widest = std::max(widest, line.width);
    rect.right = rect.left + widest + params.leftMargin + params.rightMargin;
    rect.bottom = rect.top + height;
    return height;
  }
  const std::int64_t left = std::int64_t{rect.left} + params.leftMargin;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TextLine& line = lines[i];
    const std::int64_t x =
        (format & TextFormat::kCenter) != 0 ? left + (available - line.width) / 2 : left;
    const std::size_t underline =
        line.underline == std::u16string::npos ? std::u16string::npos : line.underline - line.begin;
    draw(all.substr(line.begin, line.end - line.begin), static_cast<int>(x),
         rect.top + static_cast<int>(i) * lineHeight, underline);
  }
  return height;
}

}  // namespace brackwater
