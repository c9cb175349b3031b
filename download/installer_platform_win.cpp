#include <windows.h>

#include "base/win_handles.h"
#include "download/installer_platform.h"
#include "download/installer_temp_folder.h"
#include "logic/platform.h"

namespace {

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

  // The same hand-over as the manuals' and the companion program's.
  void ShellOpen(const std::wstring& path) override { NativeSetupPlatform().ShellOpen(path); }
};

}  // namespace

InstallerPlatform& NativeInstallerPlatform() {
  static WinInstallerPlatform platform;
  return platform;
}
