#include "ui/offscreen_win.h"

OffscreenPaint::OffscreenPaint(HDC target, const RECT& area) : target_(target), area_(area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return;
  MemoryDc memory(CreateCompatibleDC(target));
  BitmapHandle bitmap(CreateCompatibleBitmap(target, w, h));
  if (!memory || !bitmap) return;
  memory_ = std::move(memory);
  bitmap_ = std::move(bitmap);
  selected_.emplace(memory_.get(), bitmap_.get());
  SetWindowOrgEx(memory_.get(), area.left, area.top, nullptr);
}

OffscreenPaint::~OffscreenPaint() {
  if (!memory_) return;
  BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top,
         memory_.get(), area_.left, area_.top, SRCCOPY);
}
