#pragma once

#include <QFont>

#include "platform/gui/device_context.h"

namespace brackwater {

// Captions in a desktop font, drawn with Qt's antialiased text onto the context's own pixels.
// Wrapping, "&" marks, centring and margins follow LayOutText; widths are Qt's advances.
class QtTextEngine final : public TextEngine {
 public:
  explicit QtTextEngine(const QFont& font = QFont());

  const QFont& Font() const { return font_; }
  void SetFont(const QFont& font) { font_ = font; }

  int DrawText(DeviceContext& dc, std::u16string_view text, Rect& rect, unsigned format,
               CaptionParams& params) override;

 private:
  QFont font_;
};

}  // namespace brackwater
