#include "pictures/decode.h"

#include <algorithm>
#include <array>

namespace pictures {

namespace {
constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::array<std::uint8_t, 3> kJpegSignature{0xFF, 0xD8, 0xFF};
constexpr std::array<std::uint8_t, 2> kBmpSignature{'B', 'M'};
constexpr std::array<std::uint8_t, 3> kGzipSignature{0x1F, 0x8B, 0x08};

template <std::size_t N>
bool StartsWith(ByteSpan bytes, const std::array<std::uint8_t, N>& signature) {
  return bytes.size() >= N && std::equal(signature.begin(), signature.end(), bytes.begin());
}
}  // namespace

PictureFormat DetectFormat(ByteSpan bytes) {
  if (StartsWith(bytes, kPngSignature)) return PictureFormat::Png;
  if (StartsWith(bytes, kJpegSignature)) return PictureFormat::Jpeg;
  if (StartsWith(bytes, kBmpSignature)) return PictureFormat::Bmp;
  if (StartsWith(bytes, kGzipSignature)) return PictureFormat::Gzip;
  return PictureFormat::Unknown;
}

namespace {
Pixmap DecodeUnpacked(ByteSpan bytes) {
  switch (DetectFormat(bytes)) {
    case PictureFormat::Png: return DecodePng(bytes);
    case PictureFormat::Jpeg: return DecodeJpeg(bytes);
    case PictureFormat::Bmp: return DecodeBmp(bytes);
    case PictureFormat::Gzip:
    case PictureFormat::Unknown: break;
  }
  throw PictureError("not a PNG, JPEG or BMP picture");
}
}  // namespace

Pixmap DecodePicture(ByteSpan bytes) {
  if (DetectFormat(bytes) != PictureFormat::Gzip) return DecodeUnpacked(bytes);
  const std::vector<std::uint8_t> unpacked = Gunzip(bytes);
  return DecodeUnpacked(unpacked);
}

}  // namespace pictures
