#include "platform/win32/win32_picture.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstring>
#include <stdexcept>

namespace brackwater {

Win32Bitmap::Win32Bitmap(std::string_view file) {
  // OleLoadPicture reads from a stream over movable memory of its own.
  const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, file.size());
  if (memory == nullptr) throw std::runtime_error("no memory for a picture");
  std::memcpy(::GlobalLock(memory), file.data(), file.size());
  ::GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    ::GlobalFree(memory);
    throw std::runtime_error("no stream for a picture");
  }
  IPicture* picture = nullptr;
  const HRESULT loaded = ::OleLoadPicture(stream, static_cast<LONG>(file.size()), FALSE,
                                          IID_IPicture, reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(loaded) || picture == nullptr) throw std::runtime_error("not a picture");
  OLE_HANDLE handle = 0;
  SHORT type = PICTYPE_NONE;
  picture->get_Type(&type);
  if (type == PICTYPE_BITMAP) picture->get_Handle(&handle);
  // The picture owns its bitmap; a copy outlives it.
  if (handle != 0) {
    bitmap_ = static_cast<HBITMAP>(::CopyImage(
        reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0));
  }
  picture->Release();
  BITMAP info{};
  if (bitmap_ == nullptr || ::GetObjectW(bitmap_, sizeof(info), &info) == 0) {
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    throw std::runtime_error("not a bitmap picture");
  }
  width_ = info.bmWidth;
  height_ = info.bmHeight;
}

Win32Bitmap::~Win32Bitmap() { ::DeleteObject(bitmap_); }

std::string_view ResourceBytes(const wchar_t* name, const wchar_t* type) {
  const HRSRC found = ::FindResourceW(nullptr, name, type);
  if (found == nullptr) return {};
  const HGLOBAL loaded = ::LoadResource(nullptr, found);
  if (loaded == nullptr) return {};
  return {static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(nullptr, found)};
}

}  // namespace brackwater
