#include <windows.h>

#include <string>

#include "base/module_file.h"
#include "base/handles_win.h"

// Writes "<own path>.ran" so a test can see that the shell really started it.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::wstring path = ModuleFileName();
  if (path.empty()) return 1;
  const FileHandle file = AdoptFile(CreateFileW((path + L".ran").c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  DWORD written = 0;
  return WriteFile(file.get(), "ran", 3, &written, nullptr) ? 0 : 1;
}
