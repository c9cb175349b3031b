#include "ui/dpi_scale.h"

#include "base/win_handles.h"

DpiScale DpiScale::ForScreen() {
  WindowDc screen(nullptr);
  return DpiScale(screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96);
}
