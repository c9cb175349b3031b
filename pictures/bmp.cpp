#include <cstddef>
#include <cstdint>

#include "pictures/decode.h"

namespace pictures {

namespace {

// Byte offsets in BITMAPFILEHEADER followed by BITMAPINFOHEADER (or a later, longer version).
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kOffBits = 10;
constexpr std::size_t kInfoSize = 14;
constexpr std::size_t kWidth = 18;
constexpr std::size_t kHeight = 22;
constexpr std::size_t kPlanes = 26;
constexpr std::size_t kBitCount = 28;
constexpr std::size_t kCompression = 30;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCompressionNone = 0;  // BI_RGB

std::uint32_t ReadU32(ByteSpan b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t ReadU16(ByteSpan b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::int32_t ReadI32(ByteSpan b, std::size_t at) {
  return static_cast<std::int32_t>(ReadU32(b, at));
}

[[noreturn]] void Fail(const char* why) { throw PictureError(std::string("BMP: ") + why); }

}  // namespace

Pixmap DecodeBmp(ByteSpan bytes) {
  if (DetectFormat(bytes) != PictureFormat::Bmp) Fail("bad signature");
  if (bytes.size() < kFileHeaderSize + kInfoHeaderSize) Fail("file is truncated");

  const std::uint32_t info_size = ReadU32(bytes, kInfoSize);
  if (info_size < kInfoHeaderSize) Fail("unsupported header version");
  if (ReadU16(bytes, kPlanes) != 1) Fail("bad plane count");
  if (ReadU16(bytes, kBitCount) != 24) Fail("only 24 bits per pixel are supported");
  if (ReadU32(bytes, kCompression) != kCompressionNone)
    Fail("compressed bitmaps are not supported");

  const std::int64_t width = ReadI32(bytes, kWidth);
  const std::int64_t signed_height = ReadI32(bytes, kHeight);
  const bool top_down = signed_height < 0;
  const std::int64_t height = top_down ? -signed_height : signed_height;
  if (!IsAcceptableSize(width, height)) Fail("bad picture size");

  // All in 64 bits: the header's fields are not trusted and the sizes are capped above.
  const std::uint64_t offset = ReadU32(bytes, kOffBits);
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
  if (offset < kFileHeaderSize + std::uint64_t{info_size}) Fail("pixel data overlaps the header");
  // The last row's padding is not required to be present.
  const std::uint64_t needed = offset + stride * static_cast<std::uint64_t>(height - 1) +
                               static_cast<std::uint64_t>(width) * 3;
  if (needed > bytes.size()) Fail("file is truncated");

  Pixmap out(static_cast<int>(width), static_cast<int>(height));
  for (int y = 0; y < out.Height(); ++y) {
    const int file_row = top_down ? y : out.Height() - 1 - y;
    const std::uint8_t* in = bytes.data() + offset + stride * static_cast<std::uint64_t>(file_row);
    std::uint8_t* px = out.Row(y);
    for (int x = 0; x < out.Width(); ++x, in += 3, px += 4) {
      px[0] = in[0];
      px[1] = in[1];
      px[2] = in[2];
      px[3] = 0xFF;
    }
  }
  return out;
}

}  // namespace pictures
