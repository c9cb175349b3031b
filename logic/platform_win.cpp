#include <windows.h>

#include <string>

#include "base/module_file.h"
#include "base/shell_open.h"
#include "logic/platform.h"

namespace {

class WinSetupPlatform final : public SetupPlatform {
public:
  int GetLocaleAbbrevLangName(wchar_t* buffer, int capacity) override {
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, buffer, capacity);
  }

  std::wstring ModuleFileName() override { return ::ModuleFileName(); }

  void ShellOpen(const std::wstring& target) override { ::ShellOpen(target); }
};

}  // namespace

SetupPlatform& NativeSetupPlatform() {
  static WinSetupPlatform platform;
  return platform;
}
