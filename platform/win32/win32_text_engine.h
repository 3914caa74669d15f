#pragma once

#include "platform/gui/device_context.h"
#include "platform/win32/win32_api.h"

namespace brackwater {

// Text through the system's own DrawTextExW, in a font the window hands over, onto a control's
// retained image: the image goes into a bitmap that GDI can draw on and comes back afterwards.
class Win32TextEngine final : public TextEngine {
 public:
  Win32TextEngine();
  ~Win32TextEngine() override;
  Win32TextEngine(const Win32TextEngine&) = delete;
  Win32TextEngine& operator=(const Win32TextEngine&) = delete;

  // The font is the window's; it must outlive its use here. Null means the system font.
  void SetFont(HFONT font);
  HFONT Font() const { return font_; }

  int DrawText(DeviceContext& dc, std::u16string_view text, Rect& rect, unsigned format,
               CaptionParams& params) override;

 private:
  // A top-down 32-bit bitmap as large as `image`, kept while the size stays.
  void Fit(const Image& image);

  HDC dc_;
  HFONT font_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ original_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::wstring scratch_;
};

}  // namespace brackwater
