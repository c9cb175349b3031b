#pragma once

// Where a window goes at its first showing: centred on a monitor's work area.
struct ScreenRect {
  int left, top, right, bottom;
};

struct ScreenPoint {
  int x, y;
};

// Top-left corner for a window of the given outer size centred on workArea, halves truncated
// toward zero, never left of or above the virtual desktop's top-left corner.
ScreenPoint CentredOrigin(const ScreenRect& workArea, int width, int height,
                          ScreenPoint desktopOrigin);
