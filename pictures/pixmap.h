#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pictures {

// One pixel as stored in memory: blue, green, red, alpha; colours premultiplied by alpha.
struct Bgra {
  std::uint8_t b = 0;
  std::uint8_t g = 0;
  std::uint8_t r = 0;
  std::uint8_t a = 0;
  friend bool operator==(const Bgra&, const Bgra&) = default;
};

// Limits for anything decoded or scaled: far above the window's pictures, far below memory trouble.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::size_t kMaxPicturePixels = std::size_t{1} << 26;

// Returns whether a picture of this size may be allocated (both sides positive and within limits).
bool IsAcceptableSize(std::int64_t width, std::int64_t height);

// A 32-bit BGRA pixel buffer with premultiplied alpha, rows top-down without padding.
class Pixmap {
public:
  Pixmap() = default;
  // A fully transparent picture; throws PictureError if the size is not acceptable.
  Pixmap(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return pixels_.empty(); }
  std::size_t Stride() const { return static_cast<std::size_t>(width_) * 4; }

  std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * Stride(); }
  const std::uint8_t* Row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * Stride();
  }
  std::span<std::uint8_t> Bytes() { return pixels_; }
  std::span<const std::uint8_t> Bytes() const { return pixels_; }

  Bgra At(int x, int y) const;
  void Set(int x, int y, Bgra pixel);

private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> pixels_;
};

// Premultiplies one straight-alpha colour, rounding to nearest.
Bgra Premultiply(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

}  // namespace pictures
