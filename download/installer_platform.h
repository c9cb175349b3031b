#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// The installer file could not be created or written.
class InstallerSaveError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// What a download attempt needs from the system besides the network.
class InstallerPlatform {
public:
  virtual ~InstallerPlatform() = default;
  // The temporary folder ending in its separator, or empty when it cannot be determined.
  virtual std::wstring TempFolder() = 0;
  // Creates or replaces the file, unshared while open, and writes the bytes in one write;
  // throws InstallerSaveError. The file is closed on every path.
  virtual void SaveFile(const std::wstring& path, const char* data, std::size_t size) = 0;
  // ShellExecuteW(0, "open", path, "", "", SW_SHOWNORMAL); the result is not looked at.
  virtual void ShellOpen(const std::wstring& path) = 0;
};

// The platform of this build, alive for the whole process. The POSIX one reads TMPDIR (else
// "/tmp/") and hands nothing to a shell.
InstallerPlatform& NativeInstallerPlatform();
