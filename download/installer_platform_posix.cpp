#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "base/utf.h"
#include "download/installer_platform.h"

namespace {

class Fd {
public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&&) = delete;

  int get() const { return fd_; }
  // A failing close can lose written data, so it counts as a failed write.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

private:
  int fd_;
};

class PosixHeldInstaller final : public HeldInstaller {
public:
  explicit PosixHeldInstaller(Fd file) : file_(std::move(file)) {}
  SignatureFacts Signature() override { return {}; }

private:
  Fd file_;
};

class PosixInstallerPlatform final : public InstallerPlatform {
public:
  std::wstring TempFolder() override {
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp/";
    if (folder.back() != '/') folder += '/';
    return Utf8ToWide(folder);
  }

  void SaveFile(const std::wstring& path, const char* data, std::size_t size) override {
    Fd file(::open(WideToUtf8(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (file.get() < 0) throw InstallerSaveError("the installer file cannot be created");
    while (size > 0) {
      const ssize_t n = ::write(file.get(), data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw InstallerSaveError("the installer file cannot be written");
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    if (!file.Close()) throw InstallerSaveError("the installer file cannot be written");
  }

  // POSIX has no sharing modes to hold the file with, and no Authenticode: nothing verifies.
  std::unique_ptr<HeldInstaller> HoldFile(const std::wstring& path) override {
    Fd file(::open(WideToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) throw InstallerSaveError("the installer file cannot be opened");
    return std::make_unique<PosixHeldInstaller>(std::move(file));
  }

  void RemoveFile(const std::wstring& path) override { ::unlink(WideToUtf8(path).c_str()); }

  void ShellOpen(const std::wstring&) override {}
};

}  // namespace

InstallerPlatform& NativeInstallerPlatform() {
  static PosixInstallerPlatform platform;
  return platform;
}
