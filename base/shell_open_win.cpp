#include "base/shell_open.h"

#include <windows.h>
#include <shellapi.h>

void ShellOpen(const std::wstring& target) {
  ShellExecuteW(nullptr, L"open", target.c_str(), L"", L"", SW_SHOWNORMAL);
}
