#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include "pictures/decode.h"
#include "tests/pictures/samples.h"

using pictures::Bgra;
using pictures::DecodePng;
using pictures::PictureError;
using pictures::Pixmap;
using samples::Bytes;
using samples::PngImage;

namespace {

Pixmap Decode(const Bytes& bytes) { return DecodePng(bytes); }

PngImage Png(int width, int height, int color_type, int depth, std::vector<std::uint16_t> values) {
  PngImage image;
  image.width = width;
  image.height = height;
  image.color_type = color_type;
  image.bit_depth = depth;
  image.samples = std::move(values);
  return image;
}

void ExpectRow(const Pixmap& p, int y, const std::vector<Bgra>& expected) {
  ASSERT_EQ(p.Width(), static_cast<int>(expected.size()));
  for (int x = 0; x < p.Width(); ++x) {
    const Bgra got = p.At(x, y);
    const Bgra want = expected[static_cast<std::size_t>(x)];
    EXPECT_EQ(got, want) << "pixel " << x << "," << y << ": got b" << +got.b << " g" << +got.g
                         << " r" << +got.r << " a" << +got.a << ", want b" << +want.b << " g"
                         << +want.g << " r" << +want.r << " a" << +want.a;
  }
}

Bgra Opaque(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return Bgra{b, g, r, 255}; }
Bgra Grey(std::uint8_t v, std::uint8_t a = 255) { return Bgra{v, v, v, a}; }

// Rewrites IHDR's size and its CRC, for pictures that claim more than they hold.
void PatchSize(Bytes& png, std::uint32_t width, std::uint32_t height) {
  auto put_be = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      png[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
  };
  put_be(16, width);
  put_be(20, height);
  const uLong crc = crc32(0, png.data() + 12, 17);  // chunk type and 13 bytes of data
  put_be(29, static_cast<std::uint32_t>(crc));
}

PngImage Rgba2x2() {
  return Png(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8,
             {255, 0, 0, 128, 200, 150, 100, 200,  //
              10, 20, 30, 0, 1, 2, 3, 255});
}

}  // namespace

TEST(PicturePng, RgbaIsPremultipliedWithRounding) {
  const Pixmap p = Decode(samples::EncodePng(Rgba2x2()));
  ASSERT_EQ(p.Height(), 2);
  // 200*200/255 = 156.9, 150*200/255 = 117.6, 100*200/255 = 78.4; fully transparent becomes 0.
  ExpectRow(p, 0, {Bgra{0, 0, 128, 128}, Bgra{78, 118, 157, 200}});
  ExpectRow(p, 1, {Bgra{0, 0, 0, 0}, Bgra{3, 2, 1, 255}});
}

TEST(PicturePng, OpaqueColourTypesGetFullAlpha) {
  const Pixmap rgb = Decode(
      samples::EncodePng(Png(3, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 250, 128, 0, 0, 0, 255})));
  ExpectRow(rgb, 0, {Opaque(1, 2, 3), Opaque(250, 128, 0), Opaque(0, 0, 255)});

  // 16-bit samples v * 257 reduce to exactly v.
  const Pixmap rgb16 = Decode(samples::EncodePng(
      Png(2, 1, PNG_COLOR_TYPE_RGB, 16, {0xFFFF, 0x8080, 0x0000, 0x0101, 0x7F7F, 0xFEFE})));
  ExpectRow(rgb16, 0, {Opaque(255, 128, 0), Opaque(1, 127, 254)});
}

TEST(PicturePng, GreyOfEveryDepthExpandsToFullRange) {
  ExpectRow(Decode(samples::EncodePng(Png(3, 1, PNG_COLOR_TYPE_GRAY, 1, {1, 0, 1}))), 0,
            {Grey(255), Grey(0), Grey(255)});
  ExpectRow(Decode(samples::EncodePng(Png(5, 1, PNG_COLOR_TYPE_GRAY, 2, {0, 1, 2, 3, 1}))), 0,
            {Grey(0), Grey(85), Grey(170), Grey(255), Grey(85)});
  ExpectRow(Decode(samples::EncodePng(Png(3, 1, PNG_COLOR_TYPE_GRAY, 4, {0, 7, 15}))), 0,
            {Grey(0), Grey(119), Grey(255)});
  ExpectRow(Decode(samples::EncodePng(Png(2, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 201}))), 0,
            {Grey(0), Grey(201)});
  ExpectRow(Decode(samples::EncodePng(Png(2, 1, PNG_COLOR_TYPE_GRAY, 16, {0x3333, 0xFFFF}))), 0,
            {Grey(0x33), Grey(255)});
}

TEST(PicturePng, GreyWithAlphaIsPremultiplied) {
  ExpectRow(Decode(samples::EncodePng(Png(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {200, 51, 90, 255}))),
            0, {Grey(40, 51), Grey(90, 255)});
  ExpectRow(Decode(samples::EncodePng(
                Png(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {0xC8C8, 0x3333, 0x1010, 0x0000}))),
            0, {Grey(40, 51), Grey(0, 0)});
}

TEST(PicturePng, PaletteOfEveryDepthWithAlphaTable) {
  const std::vector<std::uint8_t> palette{255, 0, 0, 0, 255, 0, 0, 0, 255, 100, 100, 100};
  const std::vector<std::uint8_t> alpha{255, 128, 0};  // the fourth entry stays opaque
  const std::vector<Bgra> expected{Opaque(255, 0, 0), Bgra{0, 128, 0, 128}, Bgra{0, 0, 0, 0},
                                   Grey(100)};
  for (int depth : {2, 4, 8}) {
    SCOPED_TRACE("depth " + std::to_string(depth));
    PngImage image = Png(4, 1, PNG_COLOR_TYPE_PALETTE, depth, {0, 1, 2, 3});
    image.palette = palette;
    image.palette_alpha = alpha;
    ExpectRow(Decode(samples::EncodePng(image)), 0, expected);
  }
  PngImage one_bit = Png(3, 1, PNG_COLOR_TYPE_PALETTE, 1, {1, 0, 1});
  one_bit.palette = {10, 20, 30, 40, 50, 60};
  ExpectRow(Decode(samples::EncodePng(one_bit)), 0,
            {Opaque(40, 50, 60), Opaque(10, 20, 30), Opaque(40, 50, 60)});
}

TEST(PicturePng, KeyColourBecomesTransparent) {
  PngImage grey = Png(3, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 8, 9});
  grey.key = {8};
  ExpectRow(Decode(samples::EncodePng(grey)), 0, {Grey(7), Grey(0, 0), Grey(9)});

  PngImage rgb =
      Png(2, 1, PNG_COLOR_TYPE_RGB, 16, {0x0101, 0x0202, 0x0303, 0x0101, 0x0202, 0x0304});
  rgb.key = {0x0101, 0x0202, 0x0303};
  ExpectRow(Decode(samples::EncodePng(rgb)), 0, {Bgra{0, 0, 0, 0}, Opaque(1, 2, 3)});
}

TEST(PicturePng, InterlacedDecodesLikeProgressiveRows) {
  PngImage image = Png(11, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8, {});
  for (int i = 0; i < 11 * 9; ++i) {
    for (int c = 0; c < 4; ++c)
      image.samples.push_back(static_cast<std::uint16_t>((i * 37 + c * 91) % 256));
  }
  const Pixmap plain = Decode(samples::EncodePng(image));
  image.interlaced = true;
  const Bytes interlaced_bytes = samples::EncodePng(image);
  const Pixmap interlaced = Decode(interlaced_bytes);
  ASSERT_EQ(interlaced.Width(), 11);
  ASSERT_EQ(interlaced.Height(), 9);
  EXPECT_TRUE(std::equal(plain.Bytes().begin(), plain.Bytes().end(), interlaced.Bytes().begin()));
  EXPECT_EQ(plain.At(10, 8),
            pictures::Premultiply(image.samples[(98 * 4)], image.samples[98 * 4 + 1],
                                  image.samples[98 * 4 + 2], image.samples[98 * 4 + 3]));
}

TEST(PicturePng, EveryTruncationFails) {
  PngImage image = Rgba2x2();
  image.interlaced = true;
  for (const Bytes& whole : {samples::EncodePng(Rgba2x2()), samples::EncodePng(image)}) {
    for (std::size_t n = 0; n < whole.size(); ++n) {
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
      EXPECT_THROW(Decode(cut), PictureError) << "prefix of " << n << " of " << whole.size();
    }
  }
}

TEST(PicturePng, EveryCorruptedByteFails) {
  const Bytes whole = samples::EncodePng(Rgba2x2());
  for (std::size_t i = 0; i < whole.size(); ++i) {
    for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
      Bytes bad = whole;
      bad[i] ^= flip;
      EXPECT_THROW(Decode(bad), PictureError) << "byte " << i << " ^ " << +flip;
    }
  }
}

TEST(PicturePng, OversizedAndForeignInputFails) {
  Bytes wide = samples::EncodePng(Rgba2x2());
  PatchSize(wide, 16385, 1);
  EXPECT_THROW(Decode(wide), PictureError);
  Bytes huge = samples::EncodePng(Rgba2x2());
  PatchSize(huge, 16384, 16384);  // each side allowed, the total is not
  EXPECT_THROW(Decode(huge), PictureError);
  Bytes zero = samples::EncodePng(Rgba2x2());
  PatchSize(zero, 0, 2);
  EXPECT_THROW(Decode(zero), PictureError);

  EXPECT_THROW(Decode({}), PictureError);
  EXPECT_THROW(Decode(samples::EncodeBmp(1, 1, {1, 2, 3}, false)), PictureError);
  EXPECT_THROW(Decode(samples::EncodeJpeg(8, 8, 1, Bytes(64, 0))), PictureError);
}

TEST(PicturePng, DecodePictureRecognisesAllThreeFormats) {
  using pictures::DecodePicture;
  EXPECT_EQ(DecodePicture(samples::EncodePng(Rgba2x2())).At(1, 0), (Bgra{78, 118, 157, 200}));
  EXPECT_EQ(DecodePicture(samples::EncodeBmp(2, 1, {1, 2, 3, 4, 5, 6}, false)).At(1, 0),
            Opaque(4, 5, 6));
  EXPECT_EQ(DecodePicture(samples::EncodeJpeg(9, 5, 3, Bytes(9 * 5 * 3, 0))).Width(), 9);
  const Bytes text{'G', 'I', 'F', '8', '9', 'a'};
  EXPECT_THROW(DecodePicture(text), PictureError);
  EXPECT_THROW(DecodePicture({}), PictureError);
}

TEST(PicturePng, DecodePictureUnpacksOneGzipLayer) {
  using pictures::DecodePicture;
  const Bytes bmp = samples::EncodeBmp(2, 1, {1, 2, 3, 4, 5, 6}, false);
  const Bytes packed = samples::Gzip(bmp);
  EXPECT_EQ(pictures::Gunzip(packed), bmp);
  EXPECT_EQ(DecodePicture(packed).At(1, 0), Opaque(4, 5, 6));
  EXPECT_EQ(DecodePicture(samples::Gzip(samples::EncodePng(Rgba2x2()))).At(1, 0),
            (Bgra{78, 118, 157, 200}));

  for (std::size_t n = 3; n < packed.size(); ++n) {
    const Bytes cut(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(DecodePicture(cut), PictureError) << "prefix of " << n;
  }
  Bytes flipped = packed;
  flipped[packed.size() - 5] ^= 0x01;  // the CRC of the unpacked bytes
  EXPECT_THROW(DecodePicture(flipped), PictureError);
  Bytes trailing = packed;
  trailing.push_back(0);
  EXPECT_THROW(DecodePicture(trailing), PictureError);
  EXPECT_THROW(DecodePicture(samples::Gzip(packed)), PictureError);          // no second layer
  EXPECT_THROW(DecodePicture(samples::Gzip(Bytes(64, 'x'))), PictureError);  // no picture inside
}
