#include "ui/dpi_scale_win.h"

#include "base/win_handles.h"

DpiScale DpiScale::ForScreen() {
  WindowDc screen(nullptr);
  return DpiScale(screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96);
}
