#pragma once

#include <windows.h>

#include <utility>

// Owners of Win32 handles: non-copyable, movable, released exactly once. The null handle is the
// empty value; AdoptFile maps CreateFileW's INVALID_HANDLE_VALUE to it.
template <typename H, typename Deleter>
class UniqueHandle {
public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, H{}));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  H get() const { return h_; }
  explicit operator bool() const { return h_ != H{}; }
  H release() { return std::exchange(h_, H{}); }
  void reset(H h = H{}) {
    if (h_) Deleter{}(h_);
    h_ = h;
  }

private:
  H h_{};
};

struct GdiObjectDeleter {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct MemoryDcDeleter {
  void operator()(HDC h) const { DeleteDC(h); }
};
struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
// A child window may already be gone with its parent.
struct WindowDestroyer {
  void operator()(HWND h) const {
    if (IsWindow(h)) DestroyWindow(h);
  }
};

using FontHandle = UniqueHandle<HFONT, GdiObjectDeleter>;
using BitmapHandle = UniqueHandle<HBITMAP, GdiObjectDeleter>;
using BrushHandle = UniqueHandle<HBRUSH, GdiObjectDeleter>;
using MemoryDc = UniqueHandle<HDC, MemoryDcDeleter>;
using FileHandle = UniqueHandle<HANDLE, HandleCloser>;
using WindowHandle = UniqueHandle<HWND, WindowDestroyer>;

inline FileHandle AdoptFile(HANDLE created) {
  return FileHandle(created == INVALID_HANDLE_VALUE ? nullptr : created);
}

// A DC borrowed with GetDC, given back with ReleaseDC.
class WindowDc {
public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }

private:
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a DC for one scope; a failed selection is not undone.
class SelectGuard {
public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (Ok()) SelectObject(dc_, old_);
  }
  bool Ok() const { return old_ != nullptr && old_ != HGDI_ERROR; }

private:
  HDC dc_;
  HGDIOBJ old_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintScope {
public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  HDC dc() const { return ps_.hdc; }
  const RECT& area() const { return ps_.rcPaint; }

private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
};
