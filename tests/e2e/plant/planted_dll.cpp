// Stands in for a DLL that a web page left in the download folder beside start.exe: when any
// process loads it, it leaves "<its own path>.loaded" beside itself. It exports nothing, so a
// program that bound to it would fail at its first call; the marker is written before that.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH + 8];
  const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  lstrcatW(path, L".loaded");
  const HANDLE marker =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return TRUE;
}
