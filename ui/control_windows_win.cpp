#include "ui/control_windows_win.h"

#include <windowsx.h>

#include "ui/offscreen_win.h"
#include "base/handles_win.h"

namespace {

constexpr const wchar_t* kControlClassName = L"TStartLayoutControl";
// The keyboard cue lies this far inside a button's face, as on a push button.
constexpr int kCueInset = 3;

HINSTANCE InstanceOf(HWND hwnd) {
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  SetDCBrushColor(dc, colour);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Paints a panel off-screen: its client area filled with its colour, then draw's work on top.
template <typename Draw>
void PaintPanel(HWND hwnd, COLORREF fill, Draw draw) {
  PaintScope paint(hwnd);
  OffscreenPaint buffer(paint.dc(), paint.area());
  RECT client;
  GetClientRect(hwnd, &client);
  Fill(buffer.dc(), client, fill);
  draw(buffer.dc(), client);
}

}  // namespace

WindowClass RegisterControlClass(HINSTANCE instance) {
  return WindowClass(instance, kControlClassName, nullptr, nullptr);
}

ButtonPanel::ButtonPanel(HandlerErrors& errors, const WindowClass& cls, HWND parent,
                         const RECT& box, const FontSet& fonts, std::function<void()> onClick)
    : WindowBase(errors), fonts_(fonts), onClick_(std::move(onClick)) {
  CreateNative(0, cls, L"", WS_CHILD | WS_VISIBLE, box.left, box.top, box.right - box.left,
               box.bottom - box.top, parent, InstanceOf(parent));
}

void ButtonPanel::SetText(const std::wstring& text) {
  text_ = text;
  InvalidateRect(Handle(), nullptr, FALSE);
}

void ButtonPanel::Paint() {
  PaintPanel(Handle(), layout::kButtonBlue, [this](HDC dc, RECT client) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, fonts_.Colour(layout::TextStyle::Button));
    SelectGuard font(dc, fonts_.Get(layout::TextStyle::Button, false));
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (cued_) {
      InflateRect(&client, -kCueInset, -kCueInset);
      DrawFocusRect(dc, &client);
    }
  });
}

void ButtonPanel::SetCued(bool cued) {
  if (cued_ == cued) return;
  cued_ = cued;
  InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT ButtonPanel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(Handle());
      return 0;
    case WM_LBUTTONUP: {
      const bool wasPressed = pressed_;
      pressed_ = false;
      if (GetCapture() == Handle()) ReleaseCapture();
      RECT client;
      GetClientRect(Handle(), &client);
      const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (wasPressed && PtInRect(&client, pt) && onClick_) onClick_();
      return 0;
    }
    case WM_CAPTURECHANGED: pressed_ = false; return 0;
  }
  return WindowBase::HandleMessage(msg, wParam, lParam);
}

PagePanel::PagePanel(HandlerErrors& errors, const WindowClass& cls, HWND parent, const RECT& box,
                     const FontSet& fonts, const PictureStore& pictures, WindowlessEvents& events)
    : WindowBase(errors), host_(fonts, pictures, events) {
  CreateNative(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, box.left,
               box.top, box.right - box.left, box.bottom - box.top, parent, InstanceOf(parent));
  host_.SetWindow(Handle());
}

void PagePanel::Paint() {
  PaintPanel(Handle(), layout::kPageBlue, [this](HDC dc, const RECT& client) {
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    Fill(dc, RECT{0, 0, client.right, 1}, light);
    Fill(dc, RECT{0, 0, 1, client.bottom}, light);
    Fill(dc, RECT{client.right - 1, 0, client.right, client.bottom}, dark);
    Fill(dc, RECT{0, client.bottom - 1, client.right, client.bottom}, dark);
    host_.Paint(dc);
  });
}

LRESULT PagePanel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_NCDESTROY: host_.SetWindow(nullptr); break;
  }
  if (host_.HandleMouse(msg, wParam, lParam)) return 0;
  return WindowBase::HandleMessage(msg, wParam, lParam);
}

TabSheet::TabSheet(HandlerErrors& errors, const WindowClass& cls, HWND container)
    : WindowBase(errors) {
  CreateNative(0, cls, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, container,
               InstanceOf(container));
}

// The page is blue across the whole page area, also where its panel ends short of the
// container's right edge (801 against 800, and 797 for the panel at left -3).
LRESULT TabSheet::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(Handle(), &client);
    Fill(reinterpret_cast<HDC>(wParam), client, layout::kPageBlue);
    return 1;
  }
  return WindowBase::HandleMessage(msg, wParam, lParam);
}
