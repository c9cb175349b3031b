#include "ui/header_surface.h"

#include <commctrl.h>

#include "ui/offscreen.h"
#include "base/win_handles.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x5EAD;
}

HeaderSurface::HeaderSurface(HWND form, const FontSet& fonts, const PictureStore& pictures,
                             WindowlessEvents& events, HandlerErrors& errors)
    : form_(form), host_(fonts, pictures, events), errors_(errors) {
  host_.SetWindow(form);
  // The form's children are never painted over by the header.
  SetWindowLongPtrW(form, GWL_STYLE, GetWindowLongPtrW(form, GWL_STYLE) | WS_CLIPCHILDREN);
  SetWindowSubclass(form, &HeaderSurface::Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

HeaderSurface::~HeaderSurface() { Detach(); }

void HeaderSurface::Detach() {
  if (!form_) return;
  RemoveWindowSubclass(form_, &HeaderSurface::Proc, kSubclassId);
  host_.SetWindow(nullptr);
  form_ = nullptr;
}

LRESULT CALLBACK HeaderSurface::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                     DWORD_PTR self) {
  auto* surface = reinterpret_cast<HeaderSurface*>(self);
  if (msg == WM_NCDESTROY) {
    surface->Detach();
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  try {
    return surface->Handle(msg, wp, lp);
  } catch (...) {
    surface->errors_.Report(std::current_exception());
    return 0;
  }
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
  return DefSubclassProc(form_, msg, wp, lp);
}
