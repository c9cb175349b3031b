#pragma once

#include <windows.h>

#include "base/handles_win.h"
#include "pictures/pixmap.h"

namespace pictures {

// A 32-bit top-down DIB section holding a premultiplied BGRA picture, drawn with per-pixel
// alpha over whatever the target already shows. Owns its bitmap; movable, not copyable.
class PixmapBitmap {
public:
  PixmapBitmap() = default;
  // Throws PictureError if the picture is empty or GDI refuses the bitmap.
  explicit PixmapBitmap(const Pixmap& pixmap);

  explicit operator bool() const { return static_cast<bool>(bitmap_); }
  HBITMAP Handle() const { return bitmap_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Blends the whole bitmap at its own size with its left top corner at (x, y).
  // Returns false if nothing could be drawn (empty bitmap or a GDI failure).
  bool Draw(HDC target, int x, int y) const;

private:
  BitmapHandle bitmap_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace pictures
