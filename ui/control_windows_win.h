#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/fonts_win.h"
#include "ui/window_base_win.h"
#include "ui/windowless_win.h"

// The windowed controls of the pages. None takes the keyboard focus or sets a pointer shape.

// A light-blue face with one centred line of text; a press and release on it is a click.
class ButtonPanel : public WindowBase {
public:
  ButtonPanel(HandlerErrors& errors, const WindowClass& cls, HWND parent, const RECT& box,
              const FontSet& fonts, std::function<void()> onClick);
  ~ButtonPanel() override { Destroy(); }

  void SetText(const std::wstring& text);
  // Draws the keyboard cue on the face, or takes it away.
  void SetCued(bool cued);

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  void Paint();

  const FontSet& fonts_;
  std::function<void()> onClick_;
  std::wstring text_;
  bool pressed_ = false;
  bool cued_ = false;
};

// A page-blue panel with a 1-pixel raised bevel, parent of its page's pictures and labels.
class PagePanel : public WindowBase {
public:
  PagePanel(HandlerErrors& errors, const WindowClass& cls, HWND parent, const RECT& box,
            const FontSet& fonts, const PictureStore& pictures, WindowlessEvents& events);
  ~PagePanel() override { Destroy(); }

  WindowlessHost& Host() { return host_; }
  const WindowlessHost& Host() const { return host_; }

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  void Paint();

  WindowlessHost host_;
};

// One page of the container, page blue, holding its page panel; only the active page is
// visible.
class TabSheet : public WindowBase {
public:
  TabSheet(HandlerErrors& errors, const WindowClass& cls, HWND container);
  ~TabSheet() override { Destroy(); }

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// The one window class of these controls: arrow pointer, no background brush, no double
// clicks (a second click is a click of its own).
WindowClass RegisterControlClass(HINSTANCE instance);
