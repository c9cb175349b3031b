#include "ui/picture_resource_win.h"

#include <string>

#include "base/utf.h"
#include "pictures/scale.h"

namespace pictures {

namespace {
std::string Narrow(const wchar_t* name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return WideToUtf8(name);
}
}  // namespace

ByteSpan LoadPictureResource(HMODULE module, const wchar_t* name) {
  HRSRC info = FindResourceW(module, name, RT_RCDATA);
  HGLOBAL loaded = info != nullptr ? LoadResource(module, info) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = info != nullptr ? SizeofResource(module, info) : 0;
  if (data == nullptr || size == 0) {
    throw PictureError("picture resource " + Narrow(name) + " not found");
  }
  return ByteSpan(static_cast<const std::uint8_t*>(data), size);
}

Pixmap LoadScaledPixmap(HMODULE module, const wchar_t* name, int width, int height) {
  const ByteSpan bytes = LoadPictureResource(module, name);
  try {
    return ScalePixmap(DecodePicture(bytes), width, height);
  } catch (const PictureError& e) {
    throw PictureError(Narrow(name) + ": " + e.what());
  }
}

PixmapBitmap LoadScaledPicture(HMODULE module, const wchar_t* name, int width, int height) {
  return PixmapBitmap(LoadScaledPixmap(module, name, width, height));
}

}  // namespace pictures
