#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

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

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  for (wchar_t wc : text) {
    const auto c = static_cast<char32_t>(wc);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Decodes UTF-8; a byte that starts no valid sequence becomes U+FFFD.
std::wstring FromUtf8(const std::string& text) {
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t c = lead;
    bool ok = true;
    if ((lead & 0xE0) == 0xC0) {
      extra = 1, c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, c = lead & 0x07;
    } else if (lead >= 0x80) {
      ok = false;
    }
    ok = ok && i + extra < text.size();
    for (std::size_t k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      ok = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!ok) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(c);
    i += extra + 1;
  }
  return out;
}

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
    return FromUtf8(folder);
  }

  void SaveFile(const std::wstring& path, const char* data, std::size_t size) override {
    Fd file(::open(ToUtf8(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
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
    Fd file(::open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) throw InstallerSaveError("the installer file cannot be opened");
    return std::make_unique<PosixHeldInstaller>(std::move(file));
  }

  void RemoveFile(const std::wstring& path) override { ::unlink(ToUtf8(path).c_str()); }

  void ShellOpen(const std::wstring&) override {}
};

}  // namespace

InstallerPlatform& NativeInstallerPlatform() {
  static PosixInstallerPlatform platform;
  return platform;
}
