#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "pictures/decode.h"
#include "pictures/scale.h"

using pictures::Bgra;
using pictures::Pixmap;

namespace {

const std::filesystem::path kPictures =
    std::filesystem::path(START_SOURCE_DIR) / "res" / "pictures";

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Pixmap Load(const char* name) {
  const auto path = kPictures / name;
  if (!std::filesystem::exists(path)) return {};
  return pictures::DecodePicture(ReadFile(path));
}

struct Picture {
  const char* file;
  pictures::PictureFormat format;
  int width, height;          // as stored
  int box_width, box_height;  // as drawn
};

const Picture kPicturesOfTheWindow[] = {
    {"photo.jpg", pictures::PictureFormat::Jpeg, 849, 565, 681, 370},
    {"logo.png", pictures::PictureFormat::Png, 370, 153, 162, 65},
    {"mascot.png", pictures::PictureFormat::Png, 758, 516, 465, 290},
    {"flag_de.bmp", pictures::PictureFormat::Bmp, 116, 70, 31, 23},
    {"flag_us.bmp", pictures::PictureFormat::Bmp, 134, 71, 31, 23},
    {"android.png", pictures::PictureFormat::Png, 98, 120, 81, 73},
    {"windows.png", pictures::PictureFormat::Png, 118, 118, 81, 73},
};

}  // namespace

TEST(PictureArt, EachPictureDecodesToItsSizeAndScalesToItsBox) {
  for (const Picture& p : kPicturesOfTheWindow) {
    SCOPED_TRACE(p.file);
    const auto path = kPictures / p.file;
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    const auto bytes = ReadFile(path);
    EXPECT_EQ(pictures::DetectFormat(bytes), p.format);
    const Pixmap picture = pictures::DecodePicture(bytes);
    EXPECT_EQ(picture.Width(), p.width);
    EXPECT_EQ(picture.Height(), p.height);
    const Pixmap drawn = pictures::ScalePixmap(picture, p.box_width, p.box_height);
    EXPECT_EQ(drawn.Width(), p.box_width);
    EXPECT_EQ(drawn.Height(), p.box_height);
  }
}

// The mascot's box covers the left of the logo's box; the logo must show through there, both
// in the stored picture and after scaling to the box (window columns 492 to 568 are box
// columns 388 to 464).
TEST(PictureArt, MascotIsTransparentWhereItCoversTheLogo) {
  const Pixmap mascot = Load("mascot.png");
  ASSERT_FALSE(mascot.Empty());
  for (int y = 0; y < mascot.Height(); ++y) {
    for (int x = 632; x < mascot.Width(); ++x) {
      ASSERT_EQ(mascot.At(x, y).a, 0) << x << "," << y;
    }
  }
  int opaque = 0;
  for (int y = 0; y < mascot.Height(); ++y) {
    for (int x = 0; x < 632; ++x) opaque += mascot.At(x, y).a == 255;
  }
  EXPECT_GT(opaque, mascot.Width() * mascot.Height() / 10) << "the mascot itself is missing";

  const Pixmap drawn = pictures::ScalePixmap(mascot, 465, 290);
  for (int y = 0; y < drawn.Height(); ++y) {
    for (int x = 492 - 104; x < drawn.Width(); ++x) {
      ASSERT_EQ(drawn.At(x, y), (Bgra{0, 0, 0, 0})) << x << "," << y;
    }
  }
}
