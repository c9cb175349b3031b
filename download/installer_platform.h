#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

#include "base/shell_open.h"
#include "download/installer_trust.h"

// The installer file could not be created or written.
class InstallerSaveError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The saved installer, open for reading with read sharing only: while it lives, no other process
// can write, replace, rename or delete the file, so what was checked is what the shell starts.
class HeldInstaller {
public:
  virtual ~HeldInstaller() = default;
  // The Authenticode facts of the file as held; throws when they cannot be read at all.
  virtual SignatureFacts Signature() = 0;
};

// What a download attempt needs from the system besides the network.
class InstallerPlatform : public Shell {
public:
  // The temporary folder ending in its separator, or empty when it cannot be determined.
  virtual std::wstring TempFolder() = 0;
  // Creates or replaces the file, unshared while open, and writes the bytes in one write;
  // throws InstallerSaveError. The file is closed on every path.
  virtual void SaveFile(const std::wstring& path, const char* data, std::size_t size) = 0;
  // Opens the saved file as a HeldInstaller; throws InstallerSaveError when it cannot.
  virtual std::unique_ptr<HeldInstaller> HoldFile(const std::wstring& path) = 0;
  // Deletes the file if it can; a file that cannot be deleted is left.
  virtual void RemoveFile(const std::wstring& path) = 0;
};

// The platform of this build, alive for the whole process. The POSIX one reads TMPDIR (else
// "/tmp/"), verifies no signature and hands nothing to a shell.
InstallerPlatform& NativeInstallerPlatform();
