#pragma once

// The Windows headers, without the macros that would rename the program's own members
// (ControlHost::Yield, TextEngine::DrawText) in some files and not in others.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which they build on.
#include <commdlg.h>
#include <shlobj.h>

#undef DrawText
#undef Yield
