#include "ui/window_centring.h"

#include <algorithm>

ScreenPoint CentredOrigin(const ScreenRect& workArea, int width, int height,
                          ScreenPoint desktopOrigin) {
  const int left = workArea.left + (workArea.right - workArea.left - width) / 2;
  const int top = workArea.top + (workArea.bottom - workArea.top - height) / 2;
  return {std::max(left, desktopOrigin.x), std::max(top, desktopOrigin.y)};
}
