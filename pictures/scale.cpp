#include "pictures/scale.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "pictures/error.h"

namespace pictures {

namespace {

// The source pixels that make up one output pixel along one axis, with weights summing to 1.
struct Tap {
  int first = 0;
  std::vector<float> weights;
};

std::vector<Tap> AreaTaps(int from, int to) {
  std::vector<Tap> taps(static_cast<std::size_t>(to));
  const double scale = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double begin = i * scale;
    const double end = (i + 1) * scale;
    Tap& tap = taps[static_cast<std::size_t>(i)];
    tap.first = static_cast<int>(std::floor(begin));
    const int last = std::min(from - 1, static_cast<int>(std::ceil(end)) - 1);
    for (int s = tap.first; s <= last; ++s) {
      const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
      tap.weights.push_back(static_cast<float>(std::max(0.0, covered) / scale));
    }
  }
  return taps;
}

std::vector<Tap> BilinearTaps(int from, int to) {
  std::vector<Tap> taps(static_cast<std::size_t>(to));
  const double scale = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, static_cast<double>(from - 1));
    Tap& tap = taps[static_cast<std::size_t>(i)];
    tap.first = static_cast<int>(std::floor(centre));
    const double frac = centre - tap.first;
    tap.weights.push_back(static_cast<float>(1.0 - frac));
    if (frac > 0.0) tap.weights.push_back(static_cast<float>(frac));
  }
  return taps;
}

std::vector<Tap> TapsFor(int from, int to) {
  return to < from ? AreaTaps(from, to) : BilinearTaps(from, to);
}

// Rounds half away from zero, as lround would, without a library call per channel: the
// fraction of a non-negative float below 2^23 is exact.
std::uint8_t ToByte(float v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  const int whole = static_cast<int>(v);
  return static_cast<std::uint8_t>(whole + (v - static_cast<float>(whole) >= 0.5f ? 1 : 0));
}

}  // namespace

Pixmap ScalePixmap(const Pixmap& source, int width, int height) {
  if (source.Empty()) throw PictureError("cannot scale an empty picture");
  Pixmap out(width, height);
  // The horizontal pass keeps every source row at the output width.
  if (!IsAcceptableSize(width, source.Height()))
    throw PictureError("scaling needs too much memory");
  const std::vector<Tap> across = TapsFor(source.Width(), width);
  const std::vector<Tap> down = TapsFor(source.Height(), height);

  // Horizontal pass into floats (source rows at the output width), then the vertical pass.
  // The taps of successive output rows move down the source, so only the few source rows the
  // current output row needs are kept, in a ring: no buffer the size of the picture.
  const std::size_t row_floats = static_cast<std::size_t>(width) * 4;
  std::size_t ring_rows = 1;
  for (const Tap& tap : down) ring_rows = std::max(ring_rows, tap.weights.size());
  std::vector<float> ring(row_floats * ring_rows);
  std::vector<int> ring_source(ring_rows, -1);
  auto across_row = [&](int y) -> const float* {
    const std::size_t slot = static_cast<std::size_t>(y) % ring_rows;
    float* const row = ring.data() + row_floats * slot;
    if (ring_source[slot] == y) return row;
    ring_source[slot] = y;
    std::fill(row, row + row_floats, 0.0f);
    const std::uint8_t* in = source.Row(y);
    float* m = row;
    for (int x = 0; x < width; ++x, m += 4) {
      const Tap& tap = across[static_cast<std::size_t>(x)];
      const std::uint8_t* p = in + static_cast<std::size_t>(tap.first) * 4;
      for (float w : tap.weights) {
        for (int c = 0; c < 4; ++c) m[c] += w * p[c];
        p += 4;
      }
    }
    return row;
  };

  std::vector<float> acc(row_floats);
  for (int y = 0; y < height; ++y) {
    std::fill(acc.begin(), acc.end(), 0.0f);
    const Tap& tap = down[static_cast<std::size_t>(y)];
    int s = tap.first;
    for (float w : tap.weights) {
      const float* m = across_row(s++);
      for (std::size_t i = 0; i < row_floats; ++i) acc[i] += w * m[i];
    }
    std::uint8_t* px = out.Row(y);
    for (std::size_t i = 0; i < row_floats; i += 4) {
      const std::uint8_t a = ToByte(acc[i + 3]);
      // Premultiplied colour never exceeds alpha; rounding must not make it so.
      for (int c = 0; c < 3; ++c) px[i + c] = std::min(ToByte(acc[i + c]), a);
      px[i + 3] = a;
    }
  }
  return out;
}

}  // namespace pictures
