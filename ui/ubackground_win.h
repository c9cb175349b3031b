#pragma once

#include <windows.h>

#include "logic/app_control.h"
#include "ui/window_base_win.h"

// The white, borderless, maximised main window. It carries the program's taskbar button and,
// whenever it becomes active, hands the activation on to the setup window.
class TFrmBackground : public WindowBase {
public:
  static constexpr const wchar_t* kClassName = L"TFrmBackground";
  static constexpr DWORD kStyle = WS_POPUP | WS_MAXIMIZE;
  static constexpr DWORD kExStyle = WS_EX_APPWINDOW;
  // Restored bounds: maximising from here lands on the primary monitor.
  static constexpr RECT kRestoredBounds{0, 0, 651, 338};

  // Creates the window hidden.
  TFrmBackground(HINSTANCE instance, HICON icon, AppControl& app, HandlerErrors& errors);
  ~TFrmBackground() override;

  // The window FormActivate shows and raises.
  void AttachSetupWindow(HWND setup);
  // From now on FormActivate leaves the setup window alone (it is being hidden or destroyed).
  void DetachSetupWindow() { setup_ = nullptr; }
  void ShowMaximized();

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  void FormActivate();
  void CentreSetupWindow();

  AppControl& app_;
  WindowClass class_;
  HWND setup_ = nullptr;
  bool setupShownOnce_ = false;
};
