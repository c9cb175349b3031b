#include <zlib.h>

#include "pictures/decode.h"

namespace pictures {

namespace {
// The largest file a picture within the size limits can need: four bytes a pixel and headers.
constexpr std::size_t kMaxUnpacked = kMaxPicturePixels * 4 + (std::size_t{1} << 16);
constexpr std::size_t kStep = std::size_t{1} << 16;
constexpr int kGzipWindow = 16 + MAX_WBITS;

class Inflater {
public:
  Inflater() {
    if (inflateInit2(&stream_, kGzipWindow) != Z_OK) throw PictureError("gzip: cannot start");
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  std::vector<std::uint8_t> Unpack(ByteSpan bytes) {
    std::vector<std::uint8_t> out;
    stream_.next_in = const_cast<Bytef*>(bytes.data());
    stream_.avail_in = static_cast<uInt>(bytes.size());
    for (int status = Z_OK; status != Z_STREAM_END;) {
      if (out.size() >= kMaxUnpacked) throw PictureError("gzip: too large");
      const std::size_t done = out.size();
      out.resize(done + kStep);
      stream_.next_out = out.data() + done;
      stream_.avail_out = static_cast<uInt>(kStep);
      status = inflate(&stream_, Z_NO_FLUSH);
      out.resize(done + kStep - stream_.avail_out);
      if (status != Z_OK && status != Z_STREAM_END)
        throw PictureError("gzip: corrupt or truncated");
    }
    if (stream_.avail_in != 0) throw PictureError("gzip: data after the end");
    return out;
  }

private:
  z_stream stream_{};
};
}  // namespace

std::vector<std::uint8_t> Gunzip(ByteSpan bytes) {
  if (bytes.size() > static_cast<uInt>(-1)) throw PictureError("gzip: too large");
  Inflater inflater;
  return inflater.Unpack(bytes);
}

}  // namespace pictures
