#pragma once

#include "platform/gui/failure_report.h"
#include "platform/win32/win32_api.h"

namespace brackwater {

// The window procedure of a class whose object the window keeps in GWLP_USERDATA: messages go
// to the object's Handle, and what it throws is reported, never passed through the system's
// frames. Before the object is attached and after it has gone, the default procedure answers.
template <typename Window>
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  if (!GuardedCall<HWND>(hwnd, [&] { result = self->Handle(message, wParam, lParam); })) return 0;
  return result;
}

// Draws with `paint` on the device context that WM_PAINT or WM_PRINTCLIENT brings. False for any
// other message.
template <typename Paint>
bool PaintMessage(HWND hwnd, UINT message, WPARAM wParam, Paint&& paint) {
  if (message == WM_PRINTCLIENT) {
    paint(reinterpret_cast<HDC>(wParam));
    return true;
  }
  if (message != WM_PAINT) return false;
  PAINTSTRUCT request;
  const HDC dc = ::BeginPaint(hwnd, &request);
  paint(dc);
  ::EndPaint(hwnd, &request);
  return true;
}

}  // namespace brackwater
