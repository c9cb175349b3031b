#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "pictures/decode.h"

namespace pictures {

namespace {

// Owns one libpng read session over a byte span. libpng reports errors by longjmp back into
// Read(); everything that changes after setjmp lives in *this, never in a local of Read().
class PngReader {
public:
  explicit PngReader(ByteSpan bytes) : bytes_(bytes) {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, &OnError, &OnWarning);
    if (png_ == nullptr) throw PictureError("PNG: cannot create decoder");
    info_ = png_create_info_struct(png_);
    if (info_ == nullptr) {
      png_destroy_read_struct(&png_, nullptr, nullptr);
      throw PictureError("PNG: cannot create decoder");
    }
  }
  ~PngReader() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  Pixmap Decode() {
    if (!Read()) throw PictureError(std::string("PNG: ") + message_);
    PremultiplyRows();
    return std::move(pixmap_);
  }

private:
  // Returns false after any libpng error, with message_ set.
  // No local of this frame is written after setjmp, so none has to be volatile: a local
  // assigned after setjmp and read on the error path below would have to be.
  bool Read() {
    if (setjmp(png_jmpbuf(png_))) return false;

    png_set_read_fn(png_, this, &OnRead);
    png_set_user_limits(png_, kMaxPictureSide, kMaxPictureSide);
    png_read_info(png_, info_);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bit_depth = 0;
    int color_type = 0;
    png_get_IHDR(png_, info_, &width, &height, &bit_depth, &color_type, nullptr, nullptr, nullptr);
    if (!IsAcceptableSize(width, height)) png_error(png_, "picture too large");

    // Normalise every colour type and depth to 8-bit BGRA.
    if (color_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png_);
    if (color_type == PNG_COLOR_TYPE_GRAY && bit_depth < 8) png_set_expand_gray_1_2_4_to_8(png_);
    if (png_get_valid(png_, info_, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png_);
    if (bit_depth == 16) png_set_scale_16(png_);
    if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
      png_set_gray_to_rgb(png_);
    }
    if (!(color_type & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png_, info_, PNG_INFO_tRNS)) {
      png_set_add_alpha(png_, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_bgr(png_);
    png_set_interlace_handling(png_);
    png_read_update_info(png_, info_);
    if (png_get_rowbytes(png_, info_) != static_cast<std::size_t>(width) * 4) {
      png_error(png_, "unexpected row layout");
    }

    AllocateRows(static_cast<int>(width), static_cast<int>(height));
    png_read_image(png_, rows_.data());
    png_read_end(png_, nullptr);
    return true;
  }

  // Allocation may throw; that unwinds through C++ frames only, never through libpng.
  void AllocateRows(int width, int height) {
    pixmap_ = Pixmap(width, height);
    rows_.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rows_[static_cast<std::size_t>(y)] = pixmap_.Row(y);
  }

  void PremultiplyRows() {
    for (int y = 0; y < pixmap_.Height(); ++y) {
      std::uint8_t* p = pixmap_.Row(y);
      for (int x = 0; x < pixmap_.Width(); ++x, p += 4) {
        const Bgra q = Premultiply(p[2], p[1], p[0], p[3]);
        p[0] = q.b;
        p[1] = q.g;
        p[2] = q.r;
      }
    }
  }

  static void OnRead(png_structp png, png_bytep out, png_size_t length) {
    auto* self = static_cast<PngReader*>(png_get_io_ptr(png));
    if (length > self->bytes_.size() - self->pos_) png_error(png, "file is truncated");
    std::memcpy(out, self->bytes_.data() + self->pos_, length);
    self->pos_ += length;
  }

  static void OnError(png_structp png, png_const_charp message) {
    auto* self = static_cast<PngReader*>(png_get_error_ptr(png));
    std::strncpy(self->message_, message, sizeof self->message_ - 1);
    png_longjmp(png, 1);
  }

  static void OnWarning(png_structp, png_const_charp) {}

  ByteSpan bytes_;
  std::size_t pos_ = 0;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  Pixmap pixmap_;
  std::vector<png_bytep> rows_;
  char message_[200] = {};
};

}  // namespace

Pixmap DecodePng(ByteSpan bytes) {
  if (DetectFormat(bytes) != PictureFormat::Png) throw PictureError("PNG: bad signature");
  PngReader reader(bytes);
  return reader.Decode();
}

}  // namespace pictures
