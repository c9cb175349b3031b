#include <windows.h>

#include <string>

// Writes "<own path>.ran" so a test can see that the shell really started it.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return 1;
  path.resize(n);
  path += L".ran";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, "ran", 3, &written, nullptr);
  CloseHandle(file);
  return ok ? 0 : 1;
}
