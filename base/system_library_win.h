#pragma once

#include <windows.h>

// A DLL of the system folder, loaded by its full path so that nothing comes from the program's
// folder or the current directory; freed when this goes.
class SystemLibrary {
public:
  // Throws std::runtime_error when the DLL cannot be loaded.
  explicit SystemLibrary(const wchar_t* name);
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;
  SystemLibrary(SystemLibrary&& other) noexcept;
  SystemLibrary& operator=(SystemLibrary&&) = delete;

  // Keeps the DLL loaded until the process ends, whoever frees it. Throws std::runtime_error
  // when it cannot.
  void Pin() const;

  // Throws std::runtime_error when the DLL lacks the function.
  template <typename Fn>
  Fn Get(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Proc(name)));
  }

private:
  FARPROC Proc(const char* name) const;

  HMODULE module_ = nullptr;
};
