#pragma once

#include <windows.h>

#include <optional>

#include "base/handles_win.h"

// Draw a window's content into memory, then copy it to the screen in one blit, so nothing
// flickers. The buffer covers the paint area; drawing uses the window's client coordinates.
class OffscreenPaint {
public:
  OffscreenPaint(HDC target, const RECT& area);
  OffscreenPaint(const OffscreenPaint&) = delete;
  OffscreenPaint& operator=(const OffscreenPaint&) = delete;
  ~OffscreenPaint();

  // Falls back to the target DC if no buffer could be made.
  HDC dc() const { return memory_ ? memory_.get() : target_; }

private:
  HDC target_;
  RECT area_;
  MemoryDc memory_;
  BitmapHandle bitmap_;
  // Declared last: the bitmap leaves the DC before either is deleted.
  std::optional<SelectGuard> selected_;
};
