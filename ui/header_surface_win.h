#pragma once

#include <windows.h>

#include "ui/window_base_win.h"
#include "ui/windowless_win.h"

// The setup window's own client area: white, with the header pictures drawn on it in stacking
// order. Attached to the window by subclassing, so the window class needs no part of it.
class HeaderSurface {
public:
  HeaderSurface(HWND form, const FontSet& fonts, const PictureStore& pictures,
                WindowlessEvents& events, HandlerErrors& errors);
  HeaderSurface(const HeaderSurface&) = delete;
  HeaderSurface& operator=(const HeaderSurface&) = delete;
  ~HeaderSurface();

  WindowlessHost& Host() { return host_; }
  const WindowlessHost& Host() const { return host_; }

private:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

  HWND form_;
  WindowlessHost host_;
  HandlerErrors& errors_;
  WindowSubclass subclass_;
};
