#include "base/win32_error_win.h"

#include <string>

#include "base/utf.h"

namespace {

std::string SystemText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = length ? std::wstring(text, length) : std::wstring();
  if (text) LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' '))
    wide.pop_back();
  if (wide.empty()) return "error " + std::to_string(code);
  return WideToUtf8(wide);
}

}  // namespace

Win32Error::Win32Error(const char* call, DWORD code)
    : std::runtime_error(std::string(call) + " failed: " + SystemText(code)) {}

void ThrowLastError(const char* call) { throw Win32Error(call, GetLastError()); }
