#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "pictures/decode.h"

namespace pictures {

namespace {

// Owns one libjpeg decompression over a byte span. libjpeg's errors (and its warnings about
// corrupt data, which it would otherwise decode around) longjmp back into Read(); everything
// that changes after setjmp lives in *this, never in a local of Read().
class JpegReader {
public:
  explicit JpegReader(ByteSpan bytes) : bytes_(bytes) {
    cinfo_.err = jpeg_std_error(&error_.pub);
    error_.pub.error_exit = &OnError;
    error_.pub.emit_message = &OnMessage;
    error_.owner = this;
    source_.init_source = &OnInitSource;
    source_.fill_input_buffer = &OnFillInput;
    source_.skip_input_data = &OnSkipInput;
    source_.resync_to_restart = &jpeg_resync_to_restart;
    source_.term_source = &OnTermSource;
    source_.next_input_byte = bytes.data();
    source_.bytes_in_buffer = bytes.size();
  }
  // Safe after a failure at any point, even inside jpeg_create_decompress.
  ~JpegReader() { jpeg_destroy_decompress(&cinfo_); }
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  Pixmap Decode() {
    if (!Read()) throw PictureError(std::string("JPEG: ") + message_);
    return std::move(pixmap_);
  }

private:
  struct ErrorManager {
    jpeg_error_mgr pub;
    JpegReader* owner;
    std::jmp_buf jump;
  };

  // Returns false after any libjpeg error or warning, with message_ set.
  // No local of this frame is written after setjmp, so none has to be volatile: a local
  // assigned after setjmp and read on the error path below would have to be.
  bool Read() {
    if (setjmp(error_.jump)) return false;

    jpeg_create_decompress(&cinfo_);
    // Progressive pictures buffer all coefficients; past this the decoder fails instead.
    cinfo_.mem->max_memory_to_use = 256L * 1024 * 1024;
    cinfo_.src = &source_;
    jpeg_read_header(&cinfo_, TRUE);
    if (!IsAcceptableSize(cinfo_.image_width, cinfo_.image_height)) {
      Fail("picture too large");
    }
    switch (cinfo_.jpeg_color_space) {
      case JCS_GRAYSCALE: cinfo_.out_color_space = JCS_GRAYSCALE; break;
      case JCS_YCbCr:
      case JCS_RGB: cinfo_.out_color_space = JCS_RGB; break;
      default: Fail("unsupported colour space");
    }
    jpeg_start_decompress(&cinfo_);

    const int channels = cinfo_.output_components;
    if (channels != 1 && channels != 3) Fail("unexpected number of components");
    AllocateRows(static_cast<int>(cinfo_.output_width), static_cast<int>(cinfo_.output_height),
                 channels);
    while (cinfo_.output_scanline < cinfo_.output_height) {
      const int y = static_cast<int>(cinfo_.output_scanline);
      JSAMPROW row = line_.data();
      jpeg_read_scanlines(&cinfo_, &row, 1);
      StoreLine(y, channels);
    }
    jpeg_finish_decompress(&cinfo_);
    return true;
  }

  void AllocateRows(int width, int height, int channels) {
    pixmap_ = Pixmap(width, height);
    line_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(channels));
  }

  void StoreLine(int y, int channels) {
    std::uint8_t* out = pixmap_.Row(y);
    const std::uint8_t* in = line_.data();
    for (int x = 0; x < pixmap_.Width(); ++x, in += channels, out += 4) {
      const std::uint8_t r = in[0];
      const std::uint8_t g = channels == 3 ? in[1] : in[0];
      const std::uint8_t b = channels == 3 ? in[2] : in[0];
      out[0] = b;
      out[1] = g;
      out[2] = r;
      out[3] = 0xFF;
    }
  }

  [[noreturn]] void Fail(const char* message) {
    std::strncpy(message_, message, sizeof message_ - 1);
    std::longjmp(error_.jump, 1);
  }

  static JpegReader& Owner(j_common_ptr cinfo) {
    return *reinterpret_cast<ErrorManager*>(cinfo->err)->owner;
  }

  static void OnError(j_common_ptr cinfo) {
    JpegReader& self = Owner(cinfo);
    char text[JMSG_LENGTH_MAX] = {};
    (*cinfo->err->format_message)(cinfo, text);
    self.Fail(text);
  }

  // Level -1 is a warning about corrupt data; higher levels are trace output.
  static void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0) OnError(cinfo);
  }

  static void OnInitSource(j_decompress_ptr) {}
  static void OnTermSource(j_decompress_ptr) {}

  // The whole file is in the buffer from the start, so a request for more means truncation.
  static boolean OnFillInput(j_decompress_ptr cinfo) {
    ERREXIT(cinfo, JERR_INPUT_EOF);
    return FALSE;
  }

  static void OnSkipInput(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) ERREXIT(cinfo, JERR_INPUT_EOF);
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
  }

  ByteSpan bytes_;
  jpeg_decompress_struct cinfo_{};
  ErrorManager error_{};
  jpeg_source_mgr source_{};
  Pixmap pixmap_;
  std::vector<std::uint8_t> line_;
  char message_[JMSG_LENGTH_MAX] = {};
};

}  // namespace

Pixmap DecodeJpeg(ByteSpan bytes) {
  if (DetectFormat(bytes) != PictureFormat::Jpeg) throw PictureError("JPEG: bad signature");
  JpegReader reader(bytes);
  return reader.Decode();
}

}  // namespace pictures
