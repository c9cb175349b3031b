#pragma once

#include "pictures/pixmap.h"

namespace pictures {

// Stretches a picture to exactly width x height, ignoring its aspect ratio. Each axis is
// reduced by area averaging (every source pixel weighs by the share of it that an output
// pixel covers) or enlarged bilinearly. Works on premultiplied values, so transparent pixels
// add no colour to their neighbours. Throws PictureError for an empty source or a bad size.
Pixmap ScalePixmap(const Pixmap& source, int width, int height);

}  // namespace pictures
