#include "tests/pictures/samples.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <jpeglib.h>

#include <cstdlib>
#include <stdexcept>

namespace samples {

namespace {

int Channels(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    case PNG_COLOR_TYPE_PALETTE: return 1;
  }
  throw std::invalid_argument("colour type");
}

// Packs samples of one row as PNG stores them: sub-byte depths MSB first, 16 bits big-endian.
std::vector<std::uint8_t> PackRow(const std::uint16_t* s, std::size_t count, int depth) {
  std::vector<std::uint8_t> out;
  if (depth == 16) {
    for (std::size_t i = 0; i < count; ++i) {
      out.push_back(static_cast<std::uint8_t>(s[i] >> 8));
      out.push_back(static_cast<std::uint8_t>(s[i] & 0xFF));
    }
    return out;
  }
  if (depth == 8) {
    for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(s[i]));
    return out;
  }
  const int per_byte = 8 / depth;
  out.assign((count + per_byte - 1) / per_byte, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const int shift = 8 - depth * static_cast<int>(i % per_byte + 1);
    out[i / per_byte] |= static_cast<std::uint8_t>(s[i] << shift);
  }
  return out;
}

void OnWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void OnFlush(png_structp) {}
[[noreturn]] void OnPngError(png_structp, png_const_charp message) {
  std::fprintf(stderr, "test PNG encoder: %s\n", message);
  std::abort();
}

}  // namespace

// Only ever asked to write well-formed pictures, so an error is a broken test: abort.
Bytes EncodePng(const PngImage& image) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &OnPngError, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, &OnWrite, &OnFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), image.bit_depth, image.color_type,
               image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (std::size_t i = 0; i + 2 < image.palette.size(); i += 3) {
    palette.push_back({image.palette[i], image.palette[i + 1], image.palette[i + 2]});
  }
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!image.palette_alpha.empty()) {
    png_set_tRNS(png, info, image.palette_alpha.data(),
                 static_cast<int>(image.palette_alpha.size()), nullptr);
  } else if (!image.key.empty()) {
    png_color_16 key{};
    if (image.key.size() == 1) {
      key.gray = image.key[0];
    } else {
      key.red = image.key[0];
      key.green = image.key[1];
      key.blue = image.key[2];
    }
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  const std::size_t per_row =
      static_cast<std::size_t>(image.width) * static_cast<std::size_t>(Channels(image.color_type));
  std::vector<std::vector<std::uint8_t>> rows;
  std::vector<png_bytep> pointers;
  for (int y = 0; y < image.height; ++y) {
    rows.push_back(PackRow(image.samples.data() + per_row * static_cast<std::size_t>(y), per_row,
                           image.bit_depth));
  }
  for (auto& r : rows) pointers.push_back(r.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes EncodeJpeg(int width, int height, int components, const std::vector<std::uint8_t>& pixels,
                 int quality, bool progressive) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(components);
  while (cinfo.next_scanline < cinfo.image_height) {
    auto row = const_cast<JSAMPROW>(pixels.data() + stride * cinfo.next_scanline);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  free(buffer);
  return out;
}

void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutU16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

Bytes EncodeBmp(int width, int height, const std::vector<std::uint8_t>& rgb, bool top_down,
                std::uint32_t info_size) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const std::size_t offset = 14 + info_size;
  Bytes b(offset + stride * static_cast<std::size_t>(height), 0);
  b[0] = 'B';
  b[1] = 'M';
  PutU32(b, 2, static_cast<std::uint32_t>(b.size()));
  PutU32(b, 10, static_cast<std::uint32_t>(offset));
  PutU32(b, 14, info_size);
  PutU32(b, 18, static_cast<std::uint32_t>(width));
  PutU32(b, 22, static_cast<std::uint32_t>(top_down ? -height : height));
  PutU16(b, 26, 1);
  PutU16(b, 28, 24);
  PutU32(b, 34, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height)));
  for (int y = 0; y < height; ++y) {
    const int file_row = top_down ? y : height - 1 - y;
    for (int x = 0; x < width; ++x) {
      const std::size_t in = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                              static_cast<std::size_t>(x)) *
                             3;
      const std::size_t at =
          offset + stride * static_cast<std::size_t>(file_row) + static_cast<std::size_t>(x) * 3;
      b[at] = rgb[in + 2];
      b[at + 1] = rgb[in + 1];
      b[at + 2] = rgb[in];
    }
  }
  return b;
}

Bytes Gzip(const Bytes& bytes) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
  Bytes out(deflateBound(&z, static_cast<uLong>(bytes.size())) + 32);
  z.next_in = const_cast<Bytef*>(bytes.data());
  z.avail_in = static_cast<uInt>(bytes.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace samples
