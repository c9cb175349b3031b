#include "ui/uSetup_win.h"

TFrmSetup::TFrmSetup(HINSTANCE instance, HWND owner, HICON icon, AppControl& app,
                     DownloadControl& download, HandlerErrors& errors, SetupValues& values,
                     SetupPlatform& platform, DpiScale scale)
    : WindowBase(errors),
      class_(instance, kClassName, icon, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))) {
  RECT outer{0, 0, scale(layout::kClientWidth), scale(layout::kClientHeight)};
  AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
  CreateNative(0, class_, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
               outer.bottom - outer.top, owner, instance);
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  view_ = std::make_unique<SetupViewWin>(Handle(), instance, errors, scale);
  form_ = std::make_unique<SetupForm>(*view_, platform, app, download, values);
  view_->Bind(*form_);
  keys_ = std::make_unique<FormKeys>(Handle(), *view_, *form_);
  accessible_ = std::make_unique<AccessibleForm>(Handle(), *view_, *form_, *keys_, values);
  view_->Observe(*keys_);
  view_->Observe(*accessible_);
  keys_->OnCueMoved([this](std::optional<Control> to) { accessible_->CueMoved(to); });
  try {
    FormCreate();
  } catch (...) {
    errors.Report(std::current_exception());
  }
}

// The controls go before the window, the window before its class is unregistered.
TFrmSetup::~TFrmSetup() {
  accessible_.reset();
  keys_.reset();
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
  if (accessible_)
    if (const auto answer = accessible_->HandleMessage(msg, wParam, lParam)) return *answer;
  switch (msg) {
    case WM_CLOSE: FormClose(); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_KEYDOWN:
      if (keys_ && keys_->KeyDown(wParam, lParam)) return 0;
      break;
    case WM_UPDATEUISTATE: {
      const LRESULT result = WindowBase::HandleMessage(msg, wParam, lParam);
      if (keys_) keys_->UiStateChanged();
      return result;
    }
  }
  return WindowBase::HandleMessage(msg, wParam, lParam);
}
