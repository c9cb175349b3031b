#pragma once

#include <windows.h>

#include <stdexcept>

// A failed Win32 call: what() is UTF-8 and names the call and the system's text for the code.
class Win32Error : public std::runtime_error {
public:
  Win32Error(const char* call, DWORD code);
};

// Throws Win32Error for the calling thread's last error.
[[noreturn]] void ThrowLastError(const char* call);
