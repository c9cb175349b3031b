#pragma once

#include <cstdint>
#include <span>

#include "pictures/error.h"
#include "pictures/pixmap.h"

namespace pictures {

using ByteSpan = std::span<const std::uint8_t>;

enum class PictureFormat { Unknown, Png, Jpeg, Bmp };

// Recognises a format by its leading signature bytes only.
PictureFormat DetectFormat(ByteSpan bytes);

// Each decoder returns the whole picture as premultiplied BGRA, or throws PictureError on
// wrong-format, truncated, corrupt, unsupported or oversized input. Nothing leaks either way.
Pixmap DecodePng(ByteSpan bytes);
Pixmap DecodeJpeg(ByteSpan bytes);
Pixmap DecodeBmp(ByteSpan bytes);

// Chooses the decoder by signature.
Pixmap DecodePicture(ByteSpan bytes);

}  // namespace pictures
