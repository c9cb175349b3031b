#include <gtest/gtest.h>

#include "pictures/scale.h"
#include "pictures/pixmap.h"
#include "pictures/error.h"

using pictures::Bgra;
using pictures::PictureError;
using pictures::Pixmap;
using pictures::ScalePixmap;

namespace {

Pixmap Filled(int w, int h, Bgra colour) {
  Pixmap p(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) p.Set(x, y, colour);
  }
  return p;
}

Pixmap Row(std::initializer_list<std::uint8_t> greys) {
  Pixmap p(static_cast<int>(greys.size()), 1);
  int x = 0;
  for (std::uint8_t v : greys) p.Set(x++, 0, Bgra{v, v, v, 255});
  return p;
}

Pixmap Column(std::initializer_list<std::uint8_t> greys) {
  Pixmap p(1, static_cast<int>(greys.size()));
  int y = 0;
  for (std::uint8_t v : greys) p.Set(0, y++, Bgra{v, v, v, 255});
  return p;
}

}  // namespace

TEST(PictureScale, ProducesExactlyTheRequestedSize) {
  const struct {
    int w, h, to_w, to_h;
  } cases[] = {{98, 120, 81, 73}, {118, 118, 81, 73}, {849, 565, 681, 370}, {116, 70, 31, 23},
               {1, 1, 5, 3},      {3, 9, 7, 2},       {7, 7, 7, 7}};
  for (const auto& c : cases) {
    const Pixmap out = ScalePixmap(Filled(c.w, c.h, Bgra{1, 2, 3, 4}), c.to_w, c.to_h);
    EXPECT_EQ(out.Width(), c.to_w);
    EXPECT_EQ(out.Height(), c.to_h);
    EXPECT_EQ(out.Bytes().size(), static_cast<std::size_t>(c.to_w * c.to_h * 4));
  }
}

TEST(PictureScale, UniformStaysUniformInEveryDirection) {
  const Bgra colour{12, 80, 160, 200};
  for (auto [w, h] : {std::pair{81, 73}, {200, 240}, {50, 200}, {98, 120}, {1, 1}}) {
    const Pixmap out = ScalePixmap(Filled(98, 120, colour), w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(out.At(x, y), colour) << w << "x" << h << " at " << x << "," << y;
    }
  }
}

TEST(PictureScale, AreaAveragingUsesFractionalCoverage) {
  Pixmap checker(2, 2);
  checker.Set(0, 0, Bgra{0, 0, 0, 255});
  checker.Set(1, 1, Bgra{0, 0, 0, 255});
  checker.Set(1, 0, Bgra{255, 255, 255, 255});
  checker.Set(0, 1, Bgra{255, 255, 255, 255});
  const Bgra mean = ScalePixmap(checker, 1, 1).At(0, 0);
  EXPECT_NEAR(mean.r, 127.5, 0.5);
  EXPECT_EQ(mean.g, mean.r);
  EXPECT_EQ(mean.a, 255);

  // Three pixels into two: each output takes one whole pixel and half of the middle one.
  // (0 + 90 / 2) / 1.5 = 30 and (90 / 2 + 180) / 1.5 = 150.
  const Pixmap two = ScalePixmap(Row({0, 90, 180}), 2, 1);
  EXPECT_EQ(two.At(0, 0).r, 30);
  EXPECT_EQ(two.At(1, 0).r, 150);

  // Five into two: 2.5 source pixels each.
  const Pixmap five = ScalePixmap(Row({0, 50, 100, 150, 200}), 2, 1);
  EXPECT_EQ(five.At(0, 0).r, 40);   // (0 + 50 + 100 / 2) / 2.5
  EXPECT_EQ(five.At(1, 0).r, 160);  // (100 / 2 + 150 + 200) / 2.5

  // The same down a column, where every output row reads a different run of source rows.
  const Pixmap column = ScalePixmap(Column({0, 50, 100, 150, 200, 0, 90, 180}), 1, 4);
  EXPECT_EQ(column.At(0, 0).r, 25);   // (0 + 50) / 2
  EXPECT_EQ(column.At(0, 1).r, 125);  // (100 + 150) / 2
  EXPECT_EQ(column.At(0, 2).r, 100);  // (200 + 0) / 2
  EXPECT_EQ(column.At(0, 3).r, 135);  // (90 + 180) / 2
}

TEST(PictureScale, EnlargementIsBilinearBetweenPixelCentres) {
  const Pixmap out = ScalePixmap(Row({0, 255}), 4, 1);
  EXPECT_EQ(out.At(0, 0).r, 0);   // before the first centre: the edge pixel
  EXPECT_EQ(out.At(1, 0).r, 64);  // a quarter of the way
  EXPECT_EQ(out.At(2, 0).r, 191);
  EXPECT_EQ(out.At(3, 0).r, 255);

  const Pixmap same = Row({3, 99, 250});
  const Pixmap copy = ScalePixmap(same, 3, 1);
  EXPECT_TRUE(std::equal(same.Bytes().begin(), same.Bytes().end(), copy.Bytes().begin()));
}

// A straight-alpha filter would mix the black of transparent pixels into the edge and darken
// it; on premultiplied values every partly covered pixel keeps the pure colour.
TEST(PictureScale, TransparentBorderDoesNotDarkenEdges) {
  Pixmap framed(20, 20);  // all transparent black
  for (int y = 5; y < 15; ++y) {
    for (int x = 5; x < 15; ++x) framed.Set(x, y, Bgra{250, 250, 250, 255});
  }
  for (auto [w, h] : {std::pair{7, 9}, {33, 27}, {13, 40}}) {
    const Pixmap out = ScalePixmap(framed, w, h);
    int partial = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const Bgra p = out.At(x, y);
        if (p.a == 0) {
          EXPECT_EQ(p, (Bgra{0, 0, 0, 0}));
          continue;
        }
        partial += p.a < 255;
        // Unpremultiplied, the colour is 250 up to rounding of small alphas.
        EXPECT_NEAR(p.r * 255.0 / p.a, 250.0, 255.0 / p.a + 0.5) << x << "," << y;
        EXPECT_LE(p.r, p.a);
      }
    }
    EXPECT_GT(partial, 0) << "no partly covered edge pixels in " << w << "x" << h;
  }
}

TEST(PictureScale, BadSizesAndEmptySourceFail) {
  const Pixmap one = Filled(2, 2, Bgra{1, 1, 1, 1});
  EXPECT_THROW(ScalePixmap(one, 0, 5), PictureError);
  EXPECT_THROW(ScalePixmap(one, 5, -1), PictureError);
  EXPECT_THROW(ScalePixmap(one, 16385, 1), PictureError);
  EXPECT_THROW(ScalePixmap(Pixmap(), 5, 5), PictureError);
  // Both pictures are allowed, but the tall source widened row by row would need 4 GiB.
  EXPECT_THROW(ScalePixmap(Filled(1, 16384, Bgra{}), 16384, 1), PictureError);
}

TEST(PictureScale, PixmapSizeLimits) {
  using pictures::IsAcceptableSize;
  EXPECT_TRUE(IsAcceptableSize(1, 1));
  EXPECT_TRUE(IsAcceptableSize(16384, 4096));
  EXPECT_FALSE(IsAcceptableSize(16384, 4097));  // each side fine, the total too large
  EXPECT_FALSE(IsAcceptableSize(16385, 1));
  EXPECT_FALSE(IsAcceptableSize(1, 0));
  EXPECT_FALSE(IsAcceptableSize(-4, -4));
  EXPECT_THROW(Pixmap(16384, 4097), PictureError);

  const Pixmap p(3, 2);
  EXPECT_EQ(p.Stride(), 12u);
  EXPECT_EQ(p.At(2, 1), (Bgra{0, 0, 0, 0}));
}
