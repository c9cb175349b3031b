#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

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

  void ShellOpen(const std::wstring&) override {}
};

}  // namespace

InstallerPlatform& NativeInstallerPlatform() {
  static PosixInstallerPlatform platform;
  return platform;
}
