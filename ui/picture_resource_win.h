#pragma once

#include <windows.h>

#include "pictures/decode.h"
#include "ui/pixmap_win.h"

namespace pictures {

// The bytes of an RT_RCDATA resource of the module, valid as long as the module is loaded.
// Throws PictureError if the resource is missing or empty.
ByteSpan LoadPictureResource(HMODULE module, const wchar_t* name);

// Loads, decodes and stretches a picture resource to exactly width x height. The pixmap needs
// no GDI, so any thread may make it.
Pixmap LoadScaledPixmap(HMODULE module, const wchar_t* name, int width, int height);
PixmapBitmap LoadScaledPicture(HMODULE module, const wchar_t* name, int width, int height);

}  // namespace pictures
