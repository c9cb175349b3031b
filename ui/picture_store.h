#pragma once

#include <windows.h>

#include <map>
#include <tuple>

#include "ui/dpi_scale.h"
#include "ui/layout_table.h"
#include "ui/pixmap_win.h"

// The window's pictures, decoded once from the executable's resources and stretched once to
// each box size they are shown at. A picture that cannot be loaded is simply not drawn.
class PictureStore {
public:
  PictureStore(HMODULE module, const DpiScale& scale);

  // Blends the picture, stretched to the box at creation, over what the DC shows.
  void Draw(layout::Picture picture, HDC dc, const RECT& box) const;
  bool Loaded(layout::Picture picture, int width, int height) const;

private:
  using Key = std::tuple<layout::Picture, int, int>;
  std::map<Key, pictures::PixmapBitmap> bitmaps_;
};
