#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "pictures/error.h"
#include "pictures/pixmap.h"

namespace pictures {

using ByteSpan = std::span<const std::uint8_t>;

enum class PictureFormat { Unknown, Png, Jpeg, Bmp, Gzip };

// Recognises a format by its leading signature bytes only.
PictureFormat DetectFormat(ByteSpan bytes);

// Each decoder returns the whole picture as premultiplied BGRA, or throws PictureError on
// wrong-format, truncated, corrupt, unsupported or oversized input. Nothing leaks either way.
Pixmap DecodePng(ByteSpan bytes);
Pixmap DecodeJpeg(ByteSpan bytes);
Pixmap DecodeBmp(ByteSpan bytes);

// The bytes of a gzip stream (one member), which may carry a picture stored compactly; throws
// PictureError when the stream is corrupt, truncated, followed by more bytes or larger than any
// acceptable picture.
std::vector<std::uint8_t> Gunzip(ByteSpan bytes);

// Chooses the decoder by signature; a picture inside a gzip stream is unpacked first.
Pixmap DecodePicture(ByteSpan bytes);

}  // namespace pictures
