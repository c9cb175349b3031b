#include "ui/pixmap_win.h"

#include <cstring>

#include "base/handles_win.h"
#include "pictures/error.h"

namespace pictures {

PixmapBitmap::PixmapBitmap(const Pixmap& pixmap) {
  if (pixmap.Empty()) throw PictureError("cannot make a bitmap of an empty picture");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = pixmap.Width();
  info.bmiHeader.biHeight = -pixmap.Height();  // negative: top-down rows, as in the Pixmap
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || bits == nullptr) {
    bitmap_.reset();
    throw PictureError("cannot create a bitmap of " + std::to_string(pixmap.Width()) + " x " +
                       std::to_string(pixmap.Height()));
  }
  // A 32-bit DIB row is 4 * width bytes, with no padding, exactly as in the Pixmap.
  std::memcpy(bits, pixmap.Bytes().data(), pixmap.Bytes().size());
  GdiFlush();
  width_ = pixmap.Width();
  height_ = pixmap.Height();
}

bool PixmapBitmap::Draw(HDC target, int x, int y) const {
  if (!bitmap_ || target == nullptr) return false;
  const MemoryDc source(CreateCompatibleDC(target));
  if (!source) return false;
  const SelectGuard selected(source.get(), bitmap_.get());
  if (!selected.Ok()) return false;
  BLENDFUNCTION blend{};
  blend.BlendOp = AC_SRC_OVER;
  blend.SourceConstantAlpha = 255;
  blend.AlphaFormat = AC_SRC_ALPHA;
  // GDI32's own entry: MSIMG32 is no known DLL, so importing it would let a copy beside the
  // program load before wWinMain could restrict the search path.
  return GdiAlphaBlend(target, x, y, width_, height_, source.get(), 0, 0, width_, height_, blend) !=
         FALSE;
}

}  // namespace pictures
