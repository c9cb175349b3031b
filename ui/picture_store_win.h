#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#include "pictures/pixmap.h"
#include "ui/dpi_scale_win.h"
#include "ui/layout_table.h"
#include "ui/pixmap_win.h"

// The window's pictures, decoded from the executable's resources and stretched to each box
// size they are shown at, once: a picture the edition never shows costs nothing. Those the
// window shows first are decoded ahead on a worker while the windows are still being shown;
// any other is decoded when first drawn. A picture that cannot be loaded is simply not drawn.
class PictureStore {
public:
  PictureStore(HMODULE module, const DpiScale& scale);
  PictureStore(const PictureStore&) = delete;
  PictureStore& operator=(const PictureStore&) = delete;
  ~PictureStore();

  // Starts decoding the pictures for these boxes (in client coordinates of any window).
  void DecodeAhead(const std::vector<std::pair<layout::Picture, RECT>>& shown);
  // Blends the picture, stretched to the box, over what the DC shows.
  void Draw(layout::Picture picture, HDC dc, const RECT& box) const;
  bool Loaded(layout::Picture picture, int width, int height) const;

private:
  using Key = std::tuple<layout::Picture, int, int>;
  struct Decoded {
    Key key;
    std::optional<pictures::Pixmap> pixmap;  // none: the picture cannot be loaded
  };
  const pictures::PixmapBitmap* Bitmap(const Key& key) const;
  // Decodes and scales; safe on any thread. None when the picture cannot be loaded.
  std::optional<pictures::Pixmap> Decode(const Key& key) const;
  void TakeDecodedAhead() const;

  HMODULE module_;
  std::set<Key> boxes_;
  mutable std::map<Key, std::optional<pictures::PixmapBitmap>> bitmaps_;
  // The worker's results, read only after it is joined.
  mutable std::vector<Decoded> ahead_;
  mutable std::thread worker_;
};
