#pragma once

#include "platform/win32/win32_window_host.h"

namespace brackwater {

// The names that the program's resource script (brackwater.rc.in) gives its resources.
inline constexpr wchar_t kDesignResource[] = L"MAIN_WINDOW_DESIGN";
inline constexpr Win32WindowResources kWindowResources{L"BACKGROUND", 1, 2};

}  // namespace brackwater
