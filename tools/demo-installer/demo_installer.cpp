// A stand-in for the product's real installer: says what would happen now, leaves a marker
// beside itself and ends, on OK or by itself after a few seconds so that nothing waits for a user.
#include <windows.h>

#include <string>

#include "base/module_file.h"
#include "base/handles_win.h"
#include "tools/demo-installer/marker_win.h"

namespace {

constexpr wchar_t kClassName[] = L"MarlekDemoInstaller";
constexpr wchar_t kTitle[] = L"Demo Installer";
constexpr wchar_t kMessage[] =
    L"Hier würde jetzt das eigentliche Installationsprogramm beginnen.\r\n"
    L"The product's real installer would now begin.";
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kCloseAfterMs = 5000;
constexpr int kClientWidth = 420;
constexpr int kClientHeight = 130;

void SetDefaultFont(HWND control) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               TRUE);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetDefaultFont(CreateWindowExW(0, L"STATIC", kMessage, WS_CHILD | WS_VISIBLE | SS_CENTER, 10,
                                     20, kClientWidth - 20, 40, hwnd, nullptr, create->hInstance,
                                     nullptr));
      SetDefaultFont(CreateWindowExW(
          0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
          (kClientWidth - 90) / 2, 80, 90, 28, hwnd,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), create->hInstance, nullptr));
      SetTimer(hwnd, kCloseTimer, kCloseAfterMs, nullptr);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(hwnd);
      return 0;
    case WM_TIMER:
      if (wParam == kCloseTimer) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kCloseTimer);
      PostQuitMessage(0);
      return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WriteRunMarker(ModuleFileName(), GetCommandLineW());

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) return 1;

  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const WindowHandle window(CreateWindowExW(
      0, kClassName, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
      frame.bottom - frame.top, nullptr, nullptr, instance, nullptr));
  if (!window.get()) return 1;
  ShowWindow(window.get(), show);
  UpdateWindow(window.get());

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window.get(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
}
