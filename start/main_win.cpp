#include <windows.h>

#include "start/application_win.h"
#include "ui/ubackground_win.h"

namespace {

// A launcher is often started from a folder that others can write to (a download folder, a
// stick), so DLLs that system code loads later are looked for in the system folder only. Looked
// up at run time because Windows 7 has the call only with an update; without it, at least the
// current directory leaves the search path. The program's own loads name the system folder.
void RestrictDllSearchToSystem() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const FARPROC proc =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (!proc || !reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(proc))(
                   LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    SetDllDirectoryW(L"");
  }
}

#ifdef START_TEST_FAIL_BACKGROUND_CLASS
// Taking the background window's class name first makes its registration fail for real.
void OccupyBackgroundClassName(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = TFrmBackground::kClassName;
  RegisterClassExW(&wc);
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  RestrictDllSearchToSystem();
#ifdef START_TEST_FAIL_BACKGROUND_CLASS
  OccupyBackgroundClassName(instance);
#endif
  Application application(instance);
  return application.Run();
}
