#include "tests/ui/layout_fixture_win.h"

#include "tests/support/pump_win.h"

LayoutWindow::LayoutWindow(TSetupEdition edition, const wchar_t* locale, DpiScale scale) {
  values.SetupEdition = edition;
  platform.localeName = locale;
  frm_ = std::make_unique<TFrmSetup>(GetModuleHandleW(nullptr), nullptr, nullptr, app, app, errors,
                                     values, platform, scale);
  SetWindowPos(Form(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(Form());
}

LayoutWindow::~LayoutWindow() { frm_.reset(); }

POINT LayoutWindow::CentreOf(Control c) {
  const RECT r = View().ControlRect(c);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND LayoutWindow::TargetAt(POINT client, POINT& local) const {
  HWND target = Form();
  local = client;
  for (;;) {
    HWND child = ChildWindowFromPointEx(target, local, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!child || child == target) return target;
    MapWindowPoints(target, child, &local, 1);
    target = child;
  }
}

void LayoutWindow::Click(POINT client) { PressAndRelease(client, client); }

void LayoutWindow::PressAndRelease(POINT down, POINT up) {
  POINT local;
  HWND target = TargetAt(down, local);
  SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.x, local.y));
  // The button went down here; with capture taken, the release goes to the same window.
  HWND receiver = GetCapture() ? GetCapture() : TargetAt(up, local);
  POINT upLocal = up;
  MapWindowPoints(Form(), receiver, &upLocal, 1);
  SendMessageW(receiver, WM_LBUTTONUP, 0, MAKELPARAM(upLocal.x, upLocal.y));
}

void LayoutWindow::MoveTo(POINT client) {
  POINT local;
  HWND target = TargetAt(client, local);
  if (lastMoveTarget_ && lastMoveTarget_ != target) Leave();
  POINT screen = client;
  ClientToScreen(Form(), &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(target, WM_MOUSEMOVE, 0, MAKELPARAM(local.x, local.y));
  lastMoveTarget_ = target;
}

void LayoutWindow::Leave() {
  if (lastMoveTarget_) SendMessageW(lastMoveTarget_, WM_MOUSELEAVE, 0, 0);
  lastMoveTarget_ = nullptr;
}

void LayoutWindow::Pump() { PumpWaiting(); }

std::vector<Control> UnderlinedLabels(const SetupViewWin& view) {
  std::vector<Control> out;
  for (const auto& entry : layout::Controls())
    if (view.Underlined(entry.id)) out.push_back(entry.id);
  return out;
}
