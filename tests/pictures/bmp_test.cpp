#include <gtest/gtest.h>

#include "pictures/decode.h"
#include "tests/pictures/samples.h"

using pictures::Bgra;
using pictures::DecodeBmp;
using pictures::PictureError;
using pictures::Pixmap;
using samples::Bytes;

namespace {

// 3 x 2: a row of 9 bytes padded to 12, so padding and orientation both show.
const Bytes kRgb{255, 0,  0,  0,  255, 0,  0,  0,  255,  //
                 10,  20, 30, 40, 50,  60, 70, 80, 90};

void ExpectSample(const Pixmap& p) {
  ASSERT_EQ(p.Width(), 3);
  ASSERT_EQ(p.Height(), 2);
  EXPECT_EQ(p.At(0, 0), (Bgra{0, 0, 255, 255}));
  EXPECT_EQ(p.At(1, 0), (Bgra{0, 255, 0, 255}));
  EXPECT_EQ(p.At(2, 0), (Bgra{255, 0, 0, 255}));
  EXPECT_EQ(p.At(0, 1), (Bgra{30, 20, 10, 255}));
  EXPECT_EQ(p.At(2, 1), (Bgra{90, 80, 70, 255}));
}

}  // namespace

TEST(PictureBmp, BottomUpTopDownAndLaterHeadersAgree) {
  const Bytes bottom_up = samples::EncodeBmp(3, 2, kRgb, false);
  ASSERT_EQ(bottom_up.size(), 54u + 2 * 12);
  ExpectSample(DecodeBmp(bottom_up));
  ExpectSample(DecodeBmp(samples::EncodeBmp(3, 2, kRgb, true)));
  ExpectSample(DecodeBmp(samples::EncodeBmp(3, 2, kRgb, false, 124)));
}

TEST(PictureBmp, WidthsNeedingEachPadding) {
  for (int width = 1; width <= 5; ++width) {
    SCOPED_TRACE("width " + std::to_string(width));
    Bytes rgb;
    for (int i = 0; i < width * 3 * 3; ++i) rgb.push_back(static_cast<std::uint8_t>(i * 16 + 1));
    const Pixmap p = DecodeBmp(samples::EncodeBmp(width, 3, rgb, false));
    ASSERT_EQ(p.Width(), width);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::size_t i = static_cast<std::size_t>(((y * width) + x) * 3);
        EXPECT_EQ(p.At(x, y), (Bgra{rgb[i + 2], rgb[i + 1], rgb[i], 255}));
      }
    }
  }
}

TEST(PictureBmp, TruncationFailsExceptForTheLastRowsPadding) {
  const Bytes whole = samples::EncodeBmp(3, 2, kRgb, false);
  const std::size_t pixels_end = whole.size() - 3;  // the final row's three padding bytes
  for (std::size_t n = 0; n < pixels_end; ++n) {
    EXPECT_THROW(DecodeBmp(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n))),
                 PictureError)
        << "prefix of " << n;
  }
  ExpectSample(
      DecodeBmp(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(pixels_end))));
}

TEST(PictureBmp, UnsupportedOrInconsistentHeadersFail) {
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    bool sixteen_bits;
  };
  const Case cases[] = {
      {"32 bits per pixel", 28, 32, true},
      {"8 bits per pixel", 28, 8, true},
      {"two planes", 26, 2, true},
      {"run-length compression", 30, 1, false},
      {"bit fields", 30, 3, false},
      {"core header", 14, 12, false},
      {"width 0", 18, 0, false},
      {"negative width", 18, 0xFFFFFFFD, false},
      {"height 0", 22, 0, false},
      {"height INT_MIN", 22, 0x80000000, false},
      {"width over the limit", 18, 16385, false},
      {"height over the limit", 22, 16385, false},
      {"top-down height over the limit", 22, static_cast<std::uint32_t>(-16385), false},
      {"data inside the header", 10, 40, false},
      {"data beyond the file", 10, 0xFFFFFFF0, false},
      {"header beyond the file", 14, 0xFFFFFFF0, false},
  };
  for (const Case& c : cases) {
    Bytes bad = samples::EncodeBmp(3, 2, kRgb, false);
    if (c.sixteen_bits) {
      samples::PutU16(bad, c.at, static_cast<std::uint16_t>(c.value));
    } else {
      samples::PutU32(bad, c.at, c.value);
    }
    EXPECT_THROW(DecodeBmp(bad), PictureError) << c.what;
  }
  EXPECT_THROW(DecodeBmp({}), PictureError);
  EXPECT_THROW(DecodeBmp(Bytes{'B', 'M'}), PictureError);
  Bytes not_bmp = samples::EncodeBmp(3, 2, kRgb, false);
  not_bmp[1] = 'A';
  EXPECT_THROW(DecodeBmp(not_bmp), PictureError);
}
