#include "base/system_library_win.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

SystemLibrary::SystemLibrary(const wchar_t* name) {
  std::vector<wchar_t> folder(MAX_PATH);
  const UINT n = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (n == 0 || n >= folder.size()) throw std::runtime_error("no system folder");
  const std::wstring path = std::wstring(folder.data(), n) + L"\\" + name;
  // Its dependencies come from the DLL's own folder as well.
  module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module_ == nullptr) throw std::runtime_error("a system DLL cannot be loaded");
}

SystemLibrary::~SystemLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

SystemLibrary::SystemLibrary(SystemLibrary&& other) noexcept
    : module_(std::exchange(other.module_, nullptr)) {}

void SystemLibrary::Pin() const {
  HMODULE pinned = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                          reinterpret_cast<LPCWSTR>(module_), &pinned))
    throw std::runtime_error("a system DLL cannot be kept loaded");
}

FARPROC SystemLibrary::Proc(const char* name) const {
  const FARPROC proc = GetProcAddress(module_, name);
  if (proc == nullptr) throw std::runtime_error("a system DLL lacks a function");
  return proc;
}
