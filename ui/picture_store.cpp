#include "ui/picture_store.h"

#include "pictures/error.h"
#include "ui/picture_resource_win.h"

PictureStore::PictureStore(HMODULE module, const DpiScale& scale) : module_(module) {
  for (const auto& control : layout::Controls()) {
    if (control.kind != layout::Kind::Picture) continue;
    const RECT box = scale.Rect(control.box);
    boxes_.emplace(control.picture, box.right - box.left, box.bottom - box.top);
  }
}

const pictures::PixmapBitmap* PictureStore::Bitmap(const Key& key) const {
  if (!boxes_.contains(key)) return nullptr;
  auto it = bitmaps_.find(key);
  if (it == bitmaps_.end()) {
    it = bitmaps_.emplace(key, std::nullopt).first;
    try {
      it->second.emplace(
          pictures::LoadScaledPicture(module_, layout::PictureInfo(std::get<0>(key)).resourceName,
                                      std::get<1>(key), std::get<2>(key)));
    } catch (const pictures::PictureError&) {
      // A damaged or missing picture leaves its box empty; the window works without it.
    }
  }
  return it->second ? &*it->second : nullptr;
}

void PictureStore::Draw(layout::Picture picture, HDC dc, const RECT& box) const {
  const pictures::PixmapBitmap* bitmap =
      Bitmap(Key{picture, box.right - box.left, box.bottom - box.top});
  if (bitmap) bitmap->Draw(dc, box.left, box.top);
}

bool PictureStore::Loaded(layout::Picture picture, int width, int height) const {
  return Bitmap(Key{picture, width, height}) != nullptr;
}
