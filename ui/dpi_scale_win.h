#pragma once

#include <windows.h>

#include "ui/layout_table.h"

// The layout is written at 96 DPI. When the system reports another resolution, every edge and
// every character height is multiplied by dpi/96 and rounded with MulDiv, here only.
class DpiScale {
public:
  explicit DpiScale(int dpi = 96) : dpi_(dpi > 0 ? dpi : 96) {}
  // The resolution reported for the screen (the window declares no resolution awareness).
  static DpiScale ForScreen();

  int dpi() const { return dpi_; }
  int operator()(int value) const { return dpi_ == 96 ? value : MulDiv(value, dpi_, 96); }
  // Scales the edges; width and height follow from the rounded edges.
  RECT Rect(const layout::Box& box) const {
    return RECT{(*this)(box.left), (*this)(box.top), (*this)(box.Right()), (*this)(box.Bottom())};
  }

private:
  int dpi_;
};
