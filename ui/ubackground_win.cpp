#include "ui/ubackground_win.h"

#include "ui/window_centring.h"

namespace {

// Changing the active window from inside WM_ACTIVATE makes some window managers bounce the
// activation back and forth; the hand-over runs when this posted message arrives instead.
constexpr UINT kActivateSetup = WM_APP + 1;

}  // namespace

TFrmBackground::TFrmBackground(HINSTANCE instance, HICON icon, AppControl& app,
                               HandlerErrors& errors)
    : WindowBase(errors),
      app_(app),
      class_(instance, kClassName, icon, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))) {
  const RECT& b = kRestoredBounds;
  CreateNative(kExStyle, class_, L"", kStyle, b.left, b.top, b.right - b.left, b.bottom - b.top,
               nullptr, instance);
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

// The window goes before its class is unregistered.
TFrmBackground::~TFrmBackground() { Destroy(); }

void TFrmBackground::AttachSetupWindow(HWND setup) {
  setup_ = setup;
  setupShownOnce_ = false;
}

void TFrmBackground::ShowMaximized() { ShowWindow(Handle(), SW_SHOWMAXIMIZED); }

void TFrmBackground::FormActivate() {
  if (!setup_ || !IsWindow(setup_)) return;
  if (!IsWindowVisible(setup_)) {
    if (!setupShownOnce_) {
      setupShownOnce_ = true;
      CentreSetupWindow();
      ShowWindow(setup_, SW_SHOWNORMAL);
    } else {
      ShowWindow(setup_, SW_SHOW);
    }
  }
  SetWindowPos(setup_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TFrmBackground::CentreSetupWindow() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor)) return;
  RECT outer{};
  if (!GetWindowRect(setup_, &outer)) return;
  const RECT& work = monitor.rcWork;
  const ScreenPoint origin =
      CentredOrigin({work.left, work.top, work.right, work.bottom}, outer.right - outer.left,
                    outer.bottom - outer.top,
                    {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)});
  SetWindowPos(setup_, nullptr, origin.x, origin.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TFrmBackground::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(Handle(), kActivateSetup, 0, 0);
      break;
    case kActivateSetup: FormActivate(); return 0;
    case WM_CLOSE: app_.Terminate(); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
      if (wParam) {
        app_.Terminate();
        app_.ExitSetup();
      }
      return 0;
  }
  return WindowBase::HandleMessage(msg, wParam, lParam);
}
