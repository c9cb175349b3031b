#include "uSetup.h"

TFrmSetup::TFrmSetup(HINSTANCE instance, HWND owner, HICON icon, AppControl& app,
                     HandlerErrors& errors)
    : WindowBase(errors),
      app_(app),
      class_(instance, kClassName, icon, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))) {
  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
  CreateNative(0, class_, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
               outer.bottom - outer.top, owner, instance);
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  try {
    FormCreate();
  } catch (...) {
    errors.Report(std::current_exception());
  }
}

// The window goes before its class is unregistered.
TFrmSetup::~TFrmSetup() { Destroy(); }

// Runs once, after the window and its controls exist and before its first showing.
void TFrmSetup::FormCreate() {}

void TFrmSetup::FormClose() { app_.ExitSetup(); }

LRESULT TFrmSetup::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
  }
  return WindowBase::HandleMessage(msg, wParam, lParam);
}
