#include "pictures/pixmap.h"

#include <cassert>

#include "pictures/error.h"

namespace pictures {

bool IsAcceptableSize(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return false;
  if (width > kMaxPictureSide || height > kMaxPictureSide) return false;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <=
         kMaxPicturePixels;
}

Pixmap::Pixmap(int width, int height) {
  if (!IsAcceptableSize(width, height)) {
    throw PictureError("picture size " + std::to_string(width) + " x " + std::to_string(height) +
                       " is out of range");
  }
  width_ = width;
  height_ = height;
  pixels_.assign(Stride() * static_cast<std::size_t>(height), 0);
}

Bgra Pixmap::At(int x, int y) const {
  assert(x >= 0 && x < width_ && y >= 0 && y < height_);
  const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 4;
  return Bgra{p[0], p[1], p[2], p[3]};
}

void Pixmap::Set(int x, int y, Bgra pixel) {
  assert(x >= 0 && x < width_ && y >= 0 && y < height_);
  std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 4;
  p[0] = pixel.b;
  p[1] = pixel.g;
  p[2] = pixel.r;
  p[3] = pixel.a;
}

namespace {
std::uint8_t Scale(std::uint8_t c, std::uint8_t a) {
  return static_cast<std::uint8_t>((c * a + 127) / 255);
}
}  // namespace

Bgra Premultiply(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  return Bgra{Scale(b, a), Scale(g, a), Scale(r, a), a};
}

}  // namespace pictures
