#include "ui/uSetup.h"

TFrmSetup::TFrmSetup(HINSTANCE instance, HWND owner, HICON icon, AppControl& app,
                     HandlerErrors& errors, SetupValues& values, SetupPlatform& platform,
                     DpiScale scale)
    : WindowBase(errors),
      app_(app),
      class_(instance, kClassName, icon, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))) {
  RECT outer{0, 0, scale(layout::kClientWidth), scale(layout::kClientHeight)};
  AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
  CreateNative(0, class_, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
               outer.bottom - outer.top, owner, instance);
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  view_ = std::make_unique<SetupViewWin>(Handle(), instance, errors, scale);
  form_ = std::make_unique<SetupForm>(*view_, platform, app, values);
  view_->Bind(*form_);
  try {
    FormCreate();
  } catch (...) {
    errors.Report(std::current_exception());
  }
}

// The controls go before the window, the window before its class is unregistered.
TFrmSetup::~TFrmSetup() {
  form_.reset();
  view_.reset();
  Destroy();
}

// Runs once, after the window and its controls exist and before its first showing.
void TFrmSetup::FormCreate() {
  view_->MoveImgRiloToTop();
  form_->DetectLanguage();
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  view_->InstallTabWndProc();
  view_->HideTabs();
  form_->ShowStartPage();
  // While the windows are shown, which takes a while, the pictures on view get decoded.
  view_->DecodeVisiblePicturesAhead();
}

void TFrmSetup::FormClose() { form_->FormClose(); }

LRESULT TFrmSetup::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE: FormClose(); return 0;
    case WM_QUERYENDSESSION: return TRUE;
  }
  return WindowBase::HandleMessage(msg, wParam, lParam);
}
