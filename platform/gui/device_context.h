#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/system_colors.h"

namespace brackwater {

// Pixels of a drawing surface: origin top-left, y downward; right and bottom lie one past the
// last pixel.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const Rect&) const = default;
};

// A 32-bit image: rows top to bottom, pixels 0xAARRGGBB. Surfaces are opaque (alpha 0xFF);
// pictures may carry transparency in alpha (icons).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  Image() = default;
  Image(int w, int h, std::uint32_t fill = 0xFF000000);
};

// Text as the controls draw it: DrawTextEx's formats and margins over some font. The program
// uses the desktop's font engine; tests use a fixed-width one so that layouts are exact.
struct TextFormat {
  static constexpr unsigned kCenter = 0x1;      // DT_CENTER
  static constexpr unsigned kVCenter = 0x4;     // DT_VCENTER
  static constexpr unsigned kWordBreak = 0x10;  // DT_WORDBREAK
  static constexpr unsigned kCalcRect = 0x400;  // DT_CALCRECT: measure, draw nothing
};

// The DRAWTEXTPARAMS record: sizes in average character widths for the tab, pixels for the
// margins; `lengthDrawn` is set by the call.
struct CaptionParams {
  std::int32_t size = 20;
  std::int32_t tabLength = 1;
  std::int32_t leftMargin = 1;
  std::int32_t rightMargin = 1;
  std::int32_t lengthDrawn = 0;
};

class DeviceContext;

class TextEngine {
 public:
  virtual ~TextEngine() = default;
  // With kCalcRect: sets `rect` to the size of the wrapped block (left and top kept) and draws
  // nothing. Otherwise draws `text` in `rect` in the context's text colour. A single "&"
  // underlines the next character and is not shown; "&&" shows one "&". Returns the height of
  // the text block, as DrawTextEx does.
  virtual int DrawText(DeviceContext& dc, std::u16string_view text, Rect& rect, unsigned format,
                       CaptionParams& params) = 0;
};

// What every text engine shares of DrawTextEx, so that the desktop's fonts and the tests' fixed
// cells wrap, mark and place a caption by the same rules:
// - "&" marks: a single "&" is hidden and marks the next character; "&&" shows one "&"; a
//   trailing "&" is hidden. One character per line is underlined: the last one marked.
// - CR LF, LF and CR end a line (one at the very end adds no empty line). With kWordBreak, a
//   line is also broken at the last space before the point where it would grow wider than the
//   rectangle less both margins; the spaces at a break are dropped; a word wider than that
//   stays whole on its own line.
// - Lines start at the rectangle's top, one `lineHeight` apart; with kCenter each is centred
//   between the margins (the spare width halved, truncated toward zero as Windows divides),
//   otherwise it starts after the left margin. kVCenter takes effect only for DT_SINGLELINE,
//   which the controls never pass, so here it changes nothing.
// - kCalcRect keeps left and top, sets right to left + widest line + both margins (DrawTextEx
//   counts the margins in the measured width) and bottom to top + the block's height.
// - Returns the block's height: lines × lineHeight (0 for an empty text); sets lengthDrawn to
//   the text's length.
// `measure` gives the width of a run of shown characters; `draw` paints one line at (x, y)
// (its top-left) with the marked character's index in that line, or npos.
using MeasureRun = std::function<int(std::u16string_view run)>;
using DrawRun = std::function<void(std::u16string_view line, int x, int y, std::size_t underline)>;
int LayOutText(std::u16string_view text, Rect& rect, unsigned format, CaptionParams& params,
               int lineHeight, const MeasureRun& measure, const DrawRun& draw);

// Drawing on one image with the semantics of the Windows calls the controls were written for:
// rectangles exclude their right and bottom edges, a frame lies inside its rectangle, a line
// does not draw its end point, pens are one pixel wide and solid, drawing copies. Everything
// is clipped to the image.
class DeviceContext {
 public:
  DeviceContext(Image& image, const SystemColors& colors, TextEngine& text);

  Image& Target() { return image_; }
  const SystemColors& Colors() const { return colors_; }

  void FillRect(const Rect& rect, Rgb color);
  void FrameRect(const Rect& rect, Rgb color);
  // From (x1, y1) to (x2, y2), the end point left out (MoveToEx and LineTo).
  void Line(int x1, int y1, int x2, int y2, Rgb color);
  // The outline of the rectangle with these two opposite corners, both corners included.
  void Box(int x1, int y1, int x2, int y2, Rgb color);
  void SetPixel(int x, int y, Rgb color);
  // The colour at (x, y); CLR_INVALID (0xFFFFFFFF) outside the image.
  Rgb GetPixel(int x, int y) const;
  // The dotted focus cue: every other pixel of the rectangle's edges inverted, in a checkerboard
  // anchored at the surface's origin (x + y even), so a second call restores the image.
  void DrawFocusRect(const Rect& rect);
  // Copies a w x h block of `source` from (sx, sy) to (x, y), leaving out every pixel whose
  // colour is `transparent` (TransparentBlt).
  void TransparentCopy(int x, int y, int w, int h, const Image& source, int sx, int sy,
                       Rgb transparent);
  // Draws an image with its own transparency (alpha), scaled from the source region to the
  // destination size.
  void DrawPicture(int x, int y, int w, int h, const Image& source, int sw, int sh);
  // The platform's disabled look of an image at its own size (DrawState with DSS_DISABLED): the
  // image's ink embossed, in the button highlight colour one pixel right and down, then in the
  // button shadow colour in place. Ink is every pixel with alpha at least 0x80 that is not white
  // or within 15 steps of it in every channel, so an icon's transparent parts and a bitmap's
  // white background stay clear, and its light greys do not.
  void DrawDisabled(int x, int y, const Image& source);

  Rgb TextColor() const { return textColor_; }
  void SetTextColor(Rgb color) { textColor_ = color; }
  int DrawText(std::u16string_view text, Rect& rect, unsigned format, CaptionParams& params);

 private:
  Image& image_;
  const SystemColors& colors_;
  TextEngine& text_;
  Rgb textColor_ = 0;
};

}  // namespace brackwater
