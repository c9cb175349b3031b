#include "ui/offscreen.h"

OffscreenPaint::OffscreenPaint(HDC target, const RECT& area) : target_(target), area_(area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return;
  MemoryDc memory(CreateCompatibleDC(target));
  BitmapHandle bitmap(CreateCompatibleBitmap(target, w, h));
  if (!memory || !bitmap) return;
  oldBitmap_ = SelectObject(memory.get(), bitmap.get());
  SetWindowOrgEx(memory.get(), area.left, area.top, nullptr);
  memory_ = std::move(memory);
  bitmap_ = std::move(bitmap);
}

OffscreenPaint::~OffscreenPaint() {
  if (!memory_) return;
  BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top,
         memory_.get(), area_.left, area_.top, SRCCOPY);
  SelectObject(memory_.get(), oldBitmap_);
}
