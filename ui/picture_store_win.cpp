#include "ui/picture_store_win.h"

#include <algorithm>
#include <system_error>

#include "pictures/error.h"
#include "ui/picture_resource_win.h"

namespace {
std::optional<pictures::PixmapBitmap> BitmapOf(const pictures::Pixmap& pixmap) {
  try {
    return pictures::PixmapBitmap(pixmap);
  } catch (const pictures::PictureError&) {
    return std::nullopt;
  }
}
}  // namespace

PictureStore::PictureStore(HMODULE module, const DpiScale& scale) : module_(module) {
  for (const auto& control : layout::Controls()) {
    if (control.kind != layout::Kind::Picture) continue;
    const RECT box = scale.Rect(control.box);
    boxes_.emplace(control.picture, box.right - box.left, box.bottom - box.top);
  }
}

PictureStore::~PictureStore() {
  if (worker_.joinable()) worker_.join();
}

void PictureStore::DecodeAhead(const std::vector<std::pair<layout::Picture, RECT>>& shown) {
  TakeDecodedAhead();
  std::vector<Key> keys;
  for (const auto& [picture, box] : shown) {
    const Key key{picture, box.right - box.left, box.bottom - box.top};
    if (boxes_.contains(key) && !bitmaps_.contains(key) &&
        std::find(keys.begin(), keys.end(), key) == keys.end())
      keys.push_back(key);
  }
  if (keys.empty()) return;
  try {
    // Only decoding and scaling run there; the GDI bitmaps are made on this thread.
    worker_ = std::thread([this, keys] {
      for (const Key& key : keys) {
        try {
          ahead_.push_back({key, Decode(key)});
        } catch (...) {
          return;  // out of memory: what is left is decoded when drawn
        }
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: every picture is decoded when first drawn.
  }
}

// A damaged or missing picture leaves its box empty; the window works without it.
std::optional<pictures::Pixmap> PictureStore::Decode(const Key& key) const {
  try {
    return pictures::LoadScaledPixmap(module_, layout::PictureInfo(std::get<0>(key)).resourceName,
                                      std::get<1>(key), std::get<2>(key));
  } catch (const pictures::PictureError&) {
    return std::nullopt;
  }
}

void PictureStore::TakeDecodedAhead() const {
  if (!worker_.joinable()) return;
  worker_.join();
  for (Decoded& decoded : ahead_)
    bitmaps_.emplace(decoded.key, decoded.pixmap ? BitmapOf(*decoded.pixmap) : std::nullopt);
  ahead_.clear();
}

const pictures::PixmapBitmap* PictureStore::Bitmap(const Key& key) const {
  if (!boxes_.contains(key)) return nullptr;
  TakeDecodedAhead();
  auto it = bitmaps_.find(key);
  if (it == bitmaps_.end()) {
    it = bitmaps_.emplace(key, std::nullopt).first;
    if (std::optional<pictures::Pixmap> pixmap = Decode(key)) it->second = BitmapOf(*pixmap);
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
