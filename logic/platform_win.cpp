#include <windows.h>
#include <shellapi.h>

#include <string>

#include "logic/platform.h"

namespace {

class WinSetupPlatform final : public SetupPlatform {
public:
  int GetLocaleAbbrevLangName(wchar_t* buffer, int capacity) override {
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, buffer, capacity);
  }

  std::wstring ModuleFileName() override {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (n == 0) return {};
      // A result that fills the buffer may be cut short: try again with a larger one.
      if (n < path.size()) {
        path.resize(n);
        return path;
      }
      path.resize(path.size() * 2);
    }
  }

  void ShellOpen(const std::wstring& target) override {
    ShellExecuteW(nullptr, L"open", target.c_str(), L"", L"", SW_SHOWNORMAL);
  }
};

}  // namespace

SetupPlatform& NativeSetupPlatform() {
  static WinSetupPlatform platform;
  return platform;
}
