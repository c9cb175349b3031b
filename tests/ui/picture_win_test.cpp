#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <optional>
#include <utility>

#include "base/handles_win.h"
#include "ui/picture_resource_win.h"
#include "ui/picture_store_win.h"
#include "ui/pixmap_win.h"

using pictures::Bgra;
using pictures::PictureError;
using pictures::Pixmap;
using pictures::PixmapBitmap;

namespace {

// A white 32-bit top-down canvas selected into a memory DC, to draw on and read back.
class Canvas {
public:
  Canvas(int width, int height) : width_(width), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<std::uint8_t*>(bits);
    if (bits_ != nullptr) std::memset(bits_, 0xFF, static_cast<std::size_t>(width * height * 4));
    selected_.emplace(dc_.get(), bitmap_.get());
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool Ok() const { return bits_ != nullptr; }
  HDC Dc() const { return dc_.get(); }
  // Blue, green, red of one pixel.
  Bgra At(int x, int y) const {
    GdiFlush();
    const std::uint8_t* p =
        bits_ + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)) *
                    4;
    return Bgra{p[0], p[1], p[2], 0};
  }

private:
  int width_;
  MemoryDc dc_;
  BitmapHandle bitmap_;
  std::uint8_t* bits_ = nullptr;
  // Last: the bitmap leaves the DC before either is deleted.
  std::optional<SelectGuard> selected_;
};

void ExpectColour(Bgra got, int r, int g, int b, const char* what) {
  EXPECT_NEAR(got.r, r, 1) << what;
  EXPECT_NEAR(got.g, g, 1) << what;
  EXPECT_NEAR(got.b, b, 1) << what;
}

}  // namespace

// A module without the pictures stands in for a damaged executable: the store is built all the
// same, holds nothing and draws nothing.
TEST(WinUiPictures, MissingPicturesLeaveTheirBoxesEmpty) {
  const PictureStore store(GetModuleHandleW(L"kernel32.dll"), DpiScale());
  const SIZE box{162, 65};  // the logo's
  EXPECT_FALSE(store.Loaded(layout::Picture::Logo, box.cx, box.cy));
  const Canvas canvas(box.cx, box.cy);
  ASSERT_TRUE(canvas.Ok());
  const RECT whole{0, 0, box.cx, box.cy};
  store.Draw(layout::Picture::Logo, canvas.Dc(), whole);
  int white = 0;
  for (int y = 0; y < box.cy; ++y)
    for (int x = 0; x < box.cx; ++x) white += canvas.At(x, y) == Bgra{255, 255, 255, 0};
  EXPECT_EQ(white, box.cx * box.cy);
}

TEST(WinUiPictureBitmap, DrawBlendsPremultipliedPixelsOverTheTarget) {
  Pixmap strip(3, 2);
  for (int y = 0; y < 2; ++y) {
    strip.Set(0, y, Bgra{0, 0, 255, 255});  // opaque red
    strip.Set(1, y, Bgra{0, 0, 128, 128});  // red at half cover, premultiplied
    strip.Set(2, y, Bgra{0, 0, 0, 0});      // transparent
  }
  strip.Set(0, 1, Bgra{200, 0, 0, 255});  // a different bottom row shows the orientation
  const PixmapBitmap bitmap(strip);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap.Width(), 3);
  EXPECT_EQ(bitmap.Height(), 2);

  Canvas canvas(6, 4);
  ASSERT_TRUE(canvas.Ok());
  ASSERT_TRUE(bitmap.Draw(canvas.Dc(), 2, 1));
  ExpectColour(canvas.At(1, 1), 255, 255, 255, "left of the picture");
  ExpectColour(canvas.At(2, 1), 255, 0, 0, "opaque");
  ExpectColour(canvas.At(3, 1), 255, 127, 127, "half cover: 128 + 255 * 127 / 255");
  ExpectColour(canvas.At(4, 1), 255, 255, 255, "transparent");
  ExpectColour(canvas.At(2, 2), 0, 0, 200, "bottom row");
  ExpectColour(canvas.At(2, 0), 255, 255, 255, "above the picture");
  ExpectColour(canvas.At(2, 3), 255, 255, 255, "below the picture");
}

TEST(WinUiPictureBitmap, OwnershipMovesAndEmptyDrawsNothing) {
  PixmapBitmap first(Pixmap(4, 4));
  const HBITMAP handle = first.Handle();
  ASSERT_NE(handle, nullptr);
  PixmapBitmap second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(second.Handle(), handle);
  EXPECT_EQ(second.Width(), 4);

  PixmapBitmap third;
  third = std::move(second);
  EXPECT_EQ(third.Handle(), handle);
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_BITMAP));

  Canvas canvas(2, 2);
  EXPECT_FALSE(second.Draw(canvas.Dc(), 0, 0));
  EXPECT_FALSE(third.Draw(nullptr, 0, 0));
  ExpectColour(canvas.At(0, 0), 255, 255, 255, "untouched");

  EXPECT_THROW(PixmapBitmap{Pixmap()}, PictureError);
}

TEST(WinUiPictureResource, MissingResourceFailsCleanly) {
  EXPECT_THROW(pictures::LoadPictureResource(GetModuleHandleW(nullptr), L"NO_SUCH_PICTURE"),
               PictureError);
  EXPECT_THROW(pictures::LoadScaledPicture(GetModuleHandleW(nullptr), L"NO_SUCH_PICTURE", 10, 10),
               PictureError);
}

// The test program carries the window's pictures as resources, as the launcher does.
TEST(WinUiPictureResource, MascotLeavesTheLogoColumnsUntouched) {
  const PixmapBitmap mascot =
      pictures::LoadScaledPicture(GetModuleHandleW(nullptr), L"MASCOT", 465, 290);
  ASSERT_EQ(mascot.Width(), 465);
  ASSERT_EQ(mascot.Height(), 290);
  Canvas canvas(465, 290);
  ASSERT_TRUE(mascot.Draw(canvas.Dc(), 0, 0));
  int changed = 0;
  for (int y = 0; y < 290; ++y) {
    for (int x = 0; x < 465; ++x) {
      const Bgra p = canvas.At(x, y);
      const bool white = p.r == 255 && p.g == 255 && p.b == 255;
      if (x >= 492 - 104) {
        ASSERT_TRUE(white) << x << "," << y;
      } else {
        changed += !white;
      }
    }
  }
  EXPECT_GT(changed, 465 * 290 / 10);
}
