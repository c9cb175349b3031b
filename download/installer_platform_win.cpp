#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "base/shell_open.h"
#include "base/handles_win.h"
#include "download/authenticode_win.h"
#include "download/installer_platform.h"
#include "download/installer_temp_folder.h"

namespace {

class WinHeldInstaller final : public HeldInstaller {
public:
  WinHeldInstaller(std::wstring path, FileHandle file)
      : path_(std::move(path)), file_(std::move(file)) {}
  SignatureFacts Signature() override { return ReadAuthenticode(path_, file_.get()); }

private:
  std::wstring path_;
  FileHandle file_;
};

class WinInstallerPlatform final : public InstallerPlatform {
public:
  std::wstring TempFolder() override {
    TempPathApi api{[](std::uint32_t size, wchar_t* buffer) -> std::uint32_t {
                      return GetTempPathW(size, buffer);
                    },
                    [](const wchar_t* path, wchar_t* buffer, std::uint32_t size) -> std::uint32_t {
                      return GetLongPathNameW(path, buffer, size);
                    }};
    return ReadTempFolder(api);
  }

  void SaveFile(const std::wstring& path, const char* data, std::size_t size) override {
    const FileHandle file =
        AdoptFile(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw InstallerSaveError("the installer file cannot be created");
    // One write holds at most 4 GiB - 1; only a 64-bit build can hold more.
    while (size > 0) {
      const DWORD chunk = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(file.get(), data, chunk, &written, nullptr) || written != chunk) {
        throw InstallerSaveError("the installer file cannot be written");
      }
      data += chunk;
      size -= chunk;
    }
  }

  // Read sharing only: the loader that the shell starts the installer with opens it for reading
  // and executing, which this allows; writing, renaming and deleting stay refused until release.
  std::unique_ptr<HeldInstaller> HoldFile(const std::wstring& path) override {
    FileHandle file = AdoptFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw InstallerSaveError("the installer file cannot be held");
    return std::make_unique<WinHeldInstaller>(path, std::move(file));
  }

  void RemoveFile(const std::wstring& path) override { DeleteFileW(path.c_str()); }

  void ShellOpen(const std::wstring& path) override { ::ShellOpen(path); }
};

}  // namespace

InstallerPlatform& NativeInstallerPlatform() {
  static WinInstallerPlatform platform;
  return platform;
}
