#include <gtest/gtest.h>

#include <cstdlib>

#include "pictures/decode.h"
#include "tests/pictures/samples.h"

using pictures::Bgra;
using pictures::DecodeJpeg;
using pictures::PictureError;
using pictures::Pixmap;
using samples::Bytes;

namespace {

// Four flat quadrants of 16 x 16, so that compression keeps each colour nearly exact.
constexpr int kSide = 32;
const std::uint8_t kQuadrants[4][3] = {
    {230, 30, 40}, {20, 200, 60}, {30, 50, 220}, {250, 250, 250}};

Bytes QuadrantPixels() {
  Bytes rgb;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const auto& q = kQuadrants[(y >= kSide / 2) * 2 + (x >= kSide / 2)];
      rgb.insert(rgb.end(), q, q + 3);
    }
  }
  return rgb;
}

void ExpectQuadrants(const Pixmap& p) {
  ASSERT_EQ(p.Width(), kSide);
  ASSERT_EQ(p.Height(), kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const auto& q = kQuadrants[(y >= kSide / 2) * 2 + (x >= kSide / 2)];
      const Bgra px = p.At(x, y);
      ASSERT_EQ(px.a, 255);
      // Away from the quadrant edges, where ringing is expected, colours come back closely.
      if ((x % 16) < 2 || (x % 16) > 13 || (y % 16) < 2 || (y % 16) > 13) continue;
      ASSERT_NEAR(px.r, q[0], 6) << x << "," << y;
      ASSERT_NEAR(px.g, q[1], 6) << x << "," << y;
      ASSERT_NEAR(px.b, q[2], 6) << x << "," << y;
    }
  }
}

std::size_t FindMarker(const Bytes& jpeg, std::uint8_t marker) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
  }
  return jpeg.size();
}

}  // namespace

TEST(PictureJpeg, BaselineAndProgressiveColourDecodeOpaque) {
  ExpectQuadrants(DecodeJpeg(samples::EncodeJpeg(kSide, kSide, 3, QuadrantPixels(), 95)));
  ExpectQuadrants(DecodeJpeg(samples::EncodeJpeg(kSide, kSide, 3, QuadrantPixels(), 95, true)));
}

TEST(PictureJpeg, OddSizesAndGreyscale) {
  Bytes grey;
  for (int i = 0; i < 13 * 7; ++i) grey.push_back(static_cast<std::uint8_t>(i < 45 ? 40 : 210));
  const Pixmap p = DecodeJpeg(samples::EncodeJpeg(13, 7, 1, grey, 100));
  ASSERT_EQ(p.Width(), 13);
  ASSERT_EQ(p.Height(), 7);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 13; ++x) {
      const Bgra px = p.At(x, y);
      EXPECT_EQ(px.r, px.g);
      EXPECT_EQ(px.r, px.b);
      EXPECT_EQ(px.a, 255);
    }
  }
  EXPECT_NEAR(p.At(0, 0).r, 40, 8);
  EXPECT_NEAR(p.At(12, 6).r, 210, 8);
}

TEST(PictureJpeg, CmykIsRefused) {
  EXPECT_THROW(DecodeJpeg(samples::EncodeJpeg(8, 8, 4, Bytes(8 * 8 * 4, 100))), PictureError);
}

TEST(PictureJpeg, EveryTruncationFails) {
  for (bool progressive : {false, true}) {
    const Bytes whole = samples::EncodeJpeg(kSide, kSide, 3, QuadrantPixels(), 80, progressive);
    for (std::size_t n = 0; n < whole.size(); ++n) {
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
      EXPECT_THROW(DecodeJpeg(cut), PictureError) << "prefix of " << n << " of " << whole.size();
    }
  }
}

TEST(PictureJpeg, DamagedStructureFails) {
  const Bytes whole = samples::EncodeJpeg(kSide, kSide, 3, QuadrantPixels(), 80);

  Bytes no_frame = whole;  // SOF0 turned into an unknown marker: no frame header at all
  no_frame[FindMarker(no_frame, 0xC0) + 1] = 0x01;
  EXPECT_THROW(DecodeJpeg(no_frame), PictureError);

  Bytes bad_table = whole;  // a Huffman table whose code counts exceed what its segment holds
  const std::size_t dht = FindMarker(bad_table, 0xC4);
  ASSERT_LT(dht + 21, bad_table.size());
  for (std::size_t i = dht + 5; i < dht + 21; ++i) bad_table[i] = 0xFF;
  EXPECT_THROW(DecodeJpeg(bad_table), PictureError);

  Bytes early_end = whole;  // an end-of-image marker in the middle of the scan
  const std::size_t sos = FindMarker(early_end, 0xDA);
  early_end[sos + 20] = 0xFF;
  early_end[sos + 21] = 0xD9;
  EXPECT_THROW(DecodeJpeg(early_end), PictureError);

  Bytes wide = whole;
  const std::size_t sof = FindMarker(wide, 0xC0);
  wide[sof + 7] = 0x40;  // width 0x4000 + 1 = 16385 > the side limit
  wide[sof + 8] = 0x01;
  EXPECT_THROW(DecodeJpeg(wide), PictureError);

  EXPECT_THROW(DecodeJpeg({}), PictureError);
  EXPECT_THROW(DecodeJpeg(samples::EncodeBmp(1, 1, {1, 2, 3}, false)), PictureError);
}

// Entropy-coded data carries no checksum, so a flipped bit there may decode to other pixels;
// what must hold is a clean outcome: an error, or a picture of the declared size.
TEST(PictureJpeg, RandomDamageEndsCleanly) {
  const Bytes whole = samples::EncodeJpeg(kSide, kSide, 3, QuadrantPixels(), 80);
  std::srand(7);
  int failures = 0;
  for (int round = 0; round < 600; ++round) {
    Bytes bad = whole;
    const int hits = 1 + std::rand() % 4;
    for (int h = 0; h < hits; ++h) {
      bad[static_cast<std::size_t>(std::rand()) % bad.size()] =
          static_cast<std::uint8_t>(std::rand());
    }
    try {
      const Pixmap p = DecodeJpeg(bad);
      EXPECT_GT(p.Width(), 0);
      EXPECT_GT(p.Height(), 0);
      EXPECT_EQ(p.Bytes().size(),
                static_cast<std::size_t>(p.Width()) * static_cast<std::size_t>(p.Height()) * 4);
    } catch (const PictureError&) {
      ++failures;
    }
  }
  EXPECT_GT(failures, 0);
}
