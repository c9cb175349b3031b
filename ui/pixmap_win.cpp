#include "ui/pixmap_win.h"

#include <cstring>
#include <utility>

#include "pictures/error.h"

namespace pictures {

namespace {

// A memory DC with one bitmap selected into it; restores the previous selection and deletes
// the DC on every path out.
class SelectedBitmapDc {
public:
  SelectedBitmapDc(HDC compatible_with, HBITMAP bitmap) : dc_(CreateCompatibleDC(compatible_with)) {
    if (dc_ != nullptr) previous_ = SelectObject(dc_, bitmap);
  }
  ~SelectedBitmapDc() {
    if (dc_ == nullptr) return;
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  SelectedBitmapDc(const SelectedBitmapDc&) = delete;
  SelectedBitmapDc& operator=(const SelectedBitmapDc&) = delete;

  bool Ok() const { return dc_ != nullptr && previous_ != nullptr && previous_ != HGDI_ERROR; }
  HDC Get() const { return dc_; }

private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace

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
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr || bits == nullptr) {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    throw PictureError("cannot create a bitmap of " + std::to_string(pixmap.Width()) + " x " +
                       std::to_string(pixmap.Height()));
  }
  // A 32-bit DIB row is 4 * width bytes, with no padding, exactly as in the Pixmap.
  std::memcpy(bits, pixmap.Bytes().data(), pixmap.Bytes().size());
  GdiFlush();
  width_ = pixmap.Width();
  height_ = pixmap.Height();
}

PixmapBitmap::~PixmapBitmap() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

PixmapBitmap::PixmapBitmap(PixmapBitmap&& other) noexcept
    : bitmap_(std::exchange(other.bitmap_, nullptr)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)) {}

PixmapBitmap& PixmapBitmap::operator=(PixmapBitmap&& other) noexcept {
  if (this != &other) {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    bitmap_ = std::exchange(other.bitmap_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
  }
  return *this;
}

bool PixmapBitmap::Draw(HDC target, int x, int y) const {
  if (bitmap_ == nullptr || target == nullptr) return false;
  SelectedBitmapDc source(target, bitmap_);
  if (!source.Ok()) return false;
  BLENDFUNCTION blend{};
  blend.BlendOp = AC_SRC_OVER;
  blend.SourceConstantAlpha = 255;
  blend.AlphaFormat = AC_SRC_ALPHA;
  // GDI32's own entry: MSIMG32 is no known DLL, so importing it would let a copy beside the
  // program load before wWinMain could restrict the search path.
  return GdiAlphaBlend(target, x, y, width_, height_, source.Get(), 0, 0, width_, height_, blend) !=
         FALSE;
}

}  // namespace pictures
