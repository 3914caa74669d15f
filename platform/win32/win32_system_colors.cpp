#include "platform/win32/win32_system_colors.h"

#include "platform/win32/win32_api.h"

namespace brackwater {

// GetSysColor answers in the same 0x00BBGGRR form that the drawing calls take.
Rgb Win32SystemColors::Color(int index) const { return ::GetSysColor(index); }

}  // namespace brackwater
