#include "ui/header_surface_win.h"

#include "ui/offscreen_win.h"
#include "base/handles_win.h"

HeaderSurface::HeaderSurface(HWND form, const FontSet& fonts, const PictureStore& pictures,
                             WindowlessEvents& events, HandlerErrors& errors)
    : form_(form), host_(fonts, pictures, events), errors_(errors) {
  host_.SetWindow(form);
  // The form's children are never painted over by the header.
  SetWindowLongPtrW(form, GWL_STYLE, GetWindowLongPtrW(form, GWL_STYLE) | WS_CLIPCHILDREN);
  subclass_.Install(form, [this](UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY) {
      host_.SetWindow(nullptr);
      return subclass_.CallOriginal(msg, wp, lp);
    }
    try {
      return Handle(msg, wp, lp);
    } catch (...) {
      errors_.Report(std::current_exception());
      return LRESULT{0};
    }
  });
}

HeaderSurface::~HeaderSurface() {
  subclass_.Remove();
  host_.SetWindow(nullptr);
}

LRESULT HeaderSurface::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintScope paint(form_);
      OffscreenPaint buffer(paint.dc(), paint.area());
      FillRect(buffer.dc(), &paint.area(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      host_.Paint(buffer.dc());
      return 0;
    }
  }
  if (host_.HandleMouse(msg, wp, lp)) return 0;
  return subclass_.CallOriginal(msg, wp, lp);
}
