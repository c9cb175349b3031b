// Imports MSIMG32, which is no known DLL, the way start.exe once did: with a planted msimg32.dll
// beside it and native-first load order, the planted copy must load, or the planting scenarios
// could not see a planted DLL run at all.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const HDC screen = GetDC(nullptr);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
  AlphaBlend(screen, 0, 0, 1, 1, screen, 0, 0, 1, 1, blend);
  ReleaseDC(nullptr, screen);
  return 0;
}
