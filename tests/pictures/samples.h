#pragma once

#include <cstdint>
#include <vector>

// Small pictures encoded in memory by the real libraries, for the decoder tests.
namespace samples {

using Bytes = std::vector<std::uint8_t>;

struct PngImage {
  int width = 0;
  int height = 0;
  int color_type = 0;  // PNG_COLOR_TYPE_*
  int bit_depth = 8;
  std::vector<std::uint16_t> samples;  // row-major, channels per pixel as the colour type has
  std::vector<std::uint8_t> palette;   // r, g, b triples
  std::vector<std::uint8_t> palette_alpha;
  std::vector<std::uint16_t> key;  // tRNS key: one grey value or r, g, b
  bool interlaced = false;
};
Bytes EncodePng(const PngImage& image);

// Colour components (1 grey, 3 RGB, 4 CMYK), row-major.
Bytes EncodeJpeg(int width, int height, int components, const std::vector<std::uint8_t>& pixels,
                 int quality = 95, bool progressive = false);

// 24-bit BI_RGB bitmap of r, g, b triples, rows top-down in `rgb`; written bottom-up unless
// top_down. info_size may be 40 or a later header's size (fields past 40 stay zero).
Bytes EncodeBmp(int width, int height, const std::vector<std::uint8_t>& rgb, bool top_down,
                std::uint32_t info_size = 40);

// One gzip member holding the bytes.
Bytes Gzip(const Bytes& bytes);

void PutU32(Bytes& b, std::size_t at, std::uint32_t v);
void PutU16(Bytes& b, std::size_t at, std::uint16_t v);

}  // namespace samples
