#pragma once

#include <windows.h>

#include <memory>

#include "logic/app_control.h"
#include "logic/platform.h"
#include "logic/setup_form.h"
#include "ui/accessible_win.h"
#include "ui/form_keys_win.h"
#include "ui/setup_view_win.h"
#include "ui/window_base_win.h"

// The setup window: frame, title, owner and size; it carries every control of the program.
class TFrmSetup : public WindowBase {
public:
  static constexpr const wchar_t* kClassName = L"TFrmSetup";
  static constexpr const wchar_t* kTitle = L"Marlek Setup";
  static constexpr DWORD kStyle = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;

  // Creates the window hidden, owned by owner, and runs FormCreate; an error inside
  // FormCreate is reported to errors and does not escape. The client area and every control
  // are scaled to the resolution. The install handlers start their attempts on download.
  TFrmSetup(HINSTANCE instance, HWND owner, HICON icon, AppControl& app, DownloadControl& download,
            HandlerErrors& errors, SetupValues& values,
            SetupPlatform& platform = NativeSetupPlatform(),
            DpiScale scale = DpiScale::ForScreen());
  ~TFrmSetup() override;

  // The window's behaviour (click handlers, the download page) and its controls.
  SetupForm& Form() { return *form_; }
  SetupViewWin& View() { return *view_; }

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  void FormCreate();
  void FormClose();

  WindowClass class_;
  std::unique_ptr<SetupViewWin> view_;
  std::unique_ptr<SetupForm> form_;
  std::unique_ptr<FormKeys> keys_;
  std::unique_ptr<AccessibleForm> accessible_;
};
