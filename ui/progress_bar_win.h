#pragma once

#include <windows.h>

#include <cstdint>

#include "base/handles_win.h"

// ProgressBar1: the platform progress control, range 0 to 100 and position 0 at creation,
// page blue on progress grey. With no known length (a maximum of 0 or below) it runs as a
// marquee instead of a bar that could never fill.
class ProgressBar {
public:
  ProgressBar(HWND parent, const RECT& box);
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  HWND Handle() const { return bar_.get(); }
  int Width() const { return width_; }
  void SetMax(std::int32_t max);
  void SetPosition(std::int32_t position);

private:
  void SetMarquee(bool on);

  WindowHandle bar_;
  bool marquee_ = false;
  int width_ = 1;  // of the client area, in pixels
};
