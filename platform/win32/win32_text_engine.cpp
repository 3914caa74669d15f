#include "platform/win32/win32_text_engine.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/win32/win32_picture.h"

namespace brackwater {

Win32TextEngine::Win32TextEngine() : dc_(::CreateCompatibleDC(nullptr)) {}

Win32TextEngine::~Win32TextEngine() {
  if (original_ != nullptr) ::SelectObject(dc_, original_);
  if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
  ::DeleteDC(dc_);
}

void Win32TextEngine::SetFont(HFONT font) { font_ = font; }

void Win32TextEngine::Fit(const Image& image) {
  if (bitmap_ != nullptr && width_ == image.width && height_ == image.height) return;
  if (original_ != nullptr) ::SelectObject(dc_, std::exchange(original_, nullptr));
  if (bitmap_ != nullptr) ::DeleteObject(std::exchange(bitmap_, nullptr));
  const BITMAPINFO info = TopDownBitmapInfo(image.width, image.height);
  void* bits = nullptr;
  bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr) {
    bits_ = nullptr;
    width_ = height_ = 0;
    return;
  }
  bits_ = static_cast<std::uint32_t*>(bits);
  width_ = image.width;
  height_ = image.height;
  original_ = ::SelectObject(dc_, bitmap_);
}

int Win32TextEngine::DrawText(DeviceContext& dc, std::u16string_view text, Rect& rect,
                              unsigned format, CaptionParams& params) {
  Image& target = dc.Target();
  const bool measuring = (format & TextFormat::kCalcRect) != 0;
  if (!measuring) {
    if (target.width <= 0 || target.height <= 0) return 0;
    Fit(target);
    if (bits_ == nullptr) return 0;
    // 0xAARRGGBB in memory is the bitmap's blue, green, red, unused: the same bytes.
    std::memcpy(bits_, target.pixels.data(), target.pixels.size() * sizeof(std::uint32_t));
  }
  const HGDIOBJ oldFont =
      ::SelectObject(dc_, font_ != nullptr ? font_ : ::GetStockObject(SYSTEM_FONT));
  ::SetTextColor(dc_, dc.TextColor());
  ::SetBkMode(dc_, TRANSPARENT);

  // DrawTextExW takes its text writable (for a flag the controls never pass).
  scratch_.assign(text.begin(), text.end());
  RECT area{rect.left, rect.top, rect.right, rect.bottom};
  DRAWTEXTPARAMS record{};
  record.cbSize = sizeof(record);
  record.iTabLength = params.tabLength;
  record.iLeftMargin = params.leftMargin;
  record.iRightMargin = params.rightMargin;
  const int height = ::DrawTextExW(dc_, scratch_.data(), static_cast<int>(scratch_.size()), &area,
                                   format, &record);
  params.lengthDrawn = static_cast<std::int32_t>(record.uiLengthDrawn);
  ::SelectObject(dc_, oldFont);
  if (measuring) {
    rect = {area.left, area.top, area.right, area.bottom};
    return height;
  }
  ::GdiFlush();
  // GDI clears the unused byte of what it draws; the surface is opaque throughout.
  std::transform(bits_, bits_ + target.pixels.size(), target.pixels.begin(),
                 [](std::uint32_t pixel) { return pixel | 0xFF000000u; });
  return height;
}

}  // namespace brackwater
