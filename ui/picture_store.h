#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "ui/dpi_scale.h"
#include "ui/layout_table.h"
#include "ui/pixmap_win.h"

// The window's pictures, decoded from the executable's resources and stretched to each box
// size they are shown at, once, when first drawn: a picture the edition never shows costs
// nothing at start-up. A picture that cannot be loaded is simply not drawn.
class PictureStore {
public:
  PictureStore(HMODULE module, const DpiScale& scale);

  // Blends the picture, stretched to the box, over what the DC shows.
  void Draw(layout::Picture picture, HDC dc, const RECT& box) const;
  bool Loaded(layout::Picture picture, int width, int height) const;

private:
  using Key = std::tuple<layout::Picture, int, int>;
  const pictures::PixmapBitmap* Bitmap(const Key& key) const;

  HMODULE module_;
  std::set<Key> boxes_;
  mutable std::map<Key, std::optional<pictures::PixmapBitmap>> bitmaps_;
};
