#include "dpi_scale.h"

#include "win_handles.h"

DpiScale DpiScale::ForScreen() {
  WindowDc screen(nullptr);
  return DpiScale(screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96);
}
