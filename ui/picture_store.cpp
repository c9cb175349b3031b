#include "ui/picture_store.h"

#include "pictures/error.h"
#include "ui/picture_resource_win.h"

PictureStore::PictureStore(HMODULE module, const DpiScale& scale) {
  for (const auto& control : layout::Controls()) {
    if (control.kind != layout::Kind::Picture) continue;
    const RECT box = scale.Rect(control.box);
    const Key key{control.picture, box.right - box.left, box.bottom - box.top};
    if (bitmaps_.contains(key)) continue;
    try {
      bitmaps_.emplace(key, pictures::LoadScaledPicture(
                                module, layout::PictureInfo(control.picture).resourceName,
                                std::get<1>(key), std::get<2>(key)));
    } catch (const pictures::PictureError&) {
      // A damaged or missing picture leaves its box empty; the window works without it.
    }
  }
}

void PictureStore::Draw(layout::Picture picture, HDC dc, const RECT& box) const {
  const auto it = bitmaps_.find(Key{picture, box.right - box.left, box.bottom - box.top});
  if (it != bitmaps_.end()) it->second.Draw(dc, box.left, box.top);
}

bool PictureStore::Loaded(layout::Picture picture, int width, int height) const {
  return bitmaps_.contains(Key{picture, width, height});
}
