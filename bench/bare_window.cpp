// The yardstick for start-up: a class, one window in the page colour, ShowWindow, a loop.

#include <windows.h>

namespace {
LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = CreateSolidBrush(RGB(0x00, 0x40, 0xD5));
  wc.lpszClassName = L"BareWindow";
  RegisterClassW(&wc);
  HWND hwnd =
      CreateWindowExW(0, L"BareWindow", L"Bare window", WS_OVERLAPPEDWINDOW, (1280 - 695) / 2,
                      (800 - 648) / 2, 695, 648, nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
