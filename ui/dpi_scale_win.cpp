#include "ui/dpi_scale_win.h"

#include "base/handles_win.h"

DpiScale DpiScale::ForScreen() {
  WindowDc screen(nullptr);
  return DpiScale(screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96);
}
