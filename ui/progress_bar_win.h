#pragma once

#include <windows.h>

#include <cstdint>

#include "base/win_handles.h"

// ProgressBar1: the platform progress control, range 0 to 100 and position 0 at creation,
// page blue on progress grey. With no known length (a maximum of 0 or below) it runs as a
// marquee instead of a bar that could never fill. The control gets a new position only when
// its drawn fill changes.
class ProgressBar {
public:
  ProgressBar(HWND parent, const RECT& box);
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  HWND Handle() const { return bar_.get(); }
  void SetMax(std::int32_t max);
  void SetPosition(std::int32_t position);

private:
  void SetMarquee(bool on);
  // Pixels of the bar's width filled at this position.
  int Drawn(std::int32_t position) const;

  WindowHandle bar_;
  bool marquee_ = false;
  std::int32_t max_ = 100;
  std::int32_t position_ = 0;
  int drawn_ = 0;
  int width_ = 1;  // of the client area, in pixels
};
