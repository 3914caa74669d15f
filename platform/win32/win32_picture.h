#pragma once

#include <string_view>

#include "platform/win32/win32_api.h"

namespace brackwater {

// A picture file (BMP, GIF, JPEG) decoded by the system's picture loader, as a bitmap.
class Win32Bitmap {
 public:
  // Throws std::runtime_error when the bytes are no picture the system reads.
  explicit Win32Bitmap(std::string_view file);
  ~Win32Bitmap();
  Win32Bitmap(const Win32Bitmap&) = delete;
  Win32Bitmap& operator=(const Win32Bitmap&) = delete;

  HBITMAP Handle() const { return bitmap_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  HBITMAP bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// The header of a 32-bit bitmap whose rows run top to bottom, as the program's images do: its
// pixels in memory are 0xAARRGGBB words, blue first.
inline BITMAPINFO TopDownBitmapInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A resource of the program's own file, as bytes; empty when there is none by that name.
std::string_view ResourceBytes(const wchar_t* name, const wchar_t* type);

}  // namespace brackwater
