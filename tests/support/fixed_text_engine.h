#pragma once

#include <algorithm>

#include "platform/gui/device_context.h"

namespace brackwater {

// A font of identical cells so that caption layouts are exact: every character, the space
// included, takes a 6 x 13 cell and shows as a solid 4 x 9 block at (1, 2) of its cell; a
// marked character's underline is the cell's whole bottom row. Text is clipped to the
// formatting rectangle, as DrawTextEx clips without DT_NOCLIP. Wrapping, "&" marks, centring,
// margins and measuring follow the shared rules of LayOutText.
class FixedTextEngine final : public TextEngine {
 public:
  static constexpr int kCellWidth = 6;
  static constexpr int kCellHeight = 13;
  static constexpr Rect kGlyph{1, 2, 5, 11};

  int DrawText(DeviceContext& dc, std::u16string_view text, Rect& rect, unsigned format,
               CaptionParams& params) override {
    const Rect clip = rect;
    const auto fill = [&](Rect r) {
      r.left = std::max(r.left, clip.left);
      r.top = std::max(r.top, clip.top);
      r.right = std::min(r.right, clip.right);
      r.bottom = std::min(r.bottom, clip.bottom);
      dc.FillRect(r, dc.TextColor());
    };
    return LayOutText(
        text, rect, format, params, kCellHeight,
        [](std::u16string_view run) { return static_cast<int>(run.size()) * kCellWidth; },
        [&](std::u16string_view line, int x, int y, std::size_t underline) {
          for (std::size_t i = 0; i < line.size(); ++i) {
            const int cell = x + static_cast<int>(i) * kCellWidth;
            if (line[i] != u' ') {
              fill({cell + kGlyph.left, y + kGlyph.top, cell + kGlyph.right, y + kGlyph.bottom});
            }
            if (i == underline) {
              fill({cell, y + kCellHeight - 1, cell + kCellWidth, y + kCellHeight});
            }
          }
        });
  }
};

}  // namespace brackwater
