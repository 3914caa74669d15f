#pragma once

#include "platform/gui/device_context.h"

namespace brackwater {

// The desktop's colours as the system keeps them, read at each use so that a change of the
// desktop's scheme shows at the next repaint.
class Win32SystemColors final : public SystemColors {
 public:
  Rgb Color(int index) const override;
};

}  // namespace brackwater
