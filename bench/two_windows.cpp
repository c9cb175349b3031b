// The floor for start-up with the program's window set: a white, borderless, maximised
// background window and, owned by it, a window of the setup window's frame and size in the page
// colour, centred and shown once the background window is up. No controls, no pictures, no text.

#include <windows.h>

namespace {
constexpr int kClientWidth = 679;
constexpr int kClientHeight = 609;
constexpr DWORD kSetupStyle = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

ATOM Register(HINSTANCE instance, const wchar_t* name, HBRUSH brush) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = brush;
  wc.lpszClassName = name;
  return RegisterClassW(&wc);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  Register(instance, L"FloorBackground", static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  Register(instance, L"FloorSetup", CreateSolidBrush(RGB(0x00, 0x40, 0xD5)));
  HWND background =
      CreateWindowExW(WS_EX_APPWINDOW, L"FloorBackground", L"", WS_POPUP | WS_MAXIMIZE, 0, 0, 651,
                      338, nullptr, nullptr, instance, nullptr);
  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kSetupStyle, FALSE, 0);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  HWND setup = CreateWindowExW(0, L"FloorSetup", L"Marlek Setup", kSetupStyle,
                               work.left + (work.right - work.left - width) / 2,
                               work.top + (work.bottom - work.top - height) / 2, width, height,
                               background, nullptr, instance, nullptr);
  ShowWindow(background, SW_SHOWMAXIMIZED);
  ShowWindow(setup, SW_SHOWNORMAL);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
