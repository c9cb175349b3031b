#pragma once

#include <cstdint>
#include <functional>
#include <string>

// GetTempPathW and GetLongPathNameW with their Win32 contracts, passed in so that reading the
// temporary folder runs and is tested without Windows.
struct TempPathApi {
  // Characters written without the NUL, the size needed with the NUL when too small, 0 on error.
  std::function<std::uint32_t(std::uint32_t size, wchar_t* buffer)> getTempPath;
  // Same contract; a call with size 0 asks for the size needed.
  std::function<std::uint32_t(const wchar_t* path, wchar_t* buffer, std::uint32_t size)>
      getLongPathName;
};

// The temporary folder in its long form with its trailing separator, or empty when it cannot
// be determined (the installer is then saved under its bare name). Paths of any length.
std::wstring ReadTempFolder(const TempPathApi& api);
