#pragma once

#include "platform/gui/device_context.h"

namespace brackwater {

// The button colours from the application's palette, read at each call so that a changed
// desktop theme shows at the next repaint; every other index from the classic table.
class QtSystemColors final : public SystemColors {
 public:
  Rgb Color(int index) const override;

 private:
  ClassicColors classic_;
};

}  // namespace brackwater
