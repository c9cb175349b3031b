#include <unistd.h>

#include <string>

#include "base/module_file.h"
#include "base/utf.h"

std::wstring ModuleFileName() {
  std::string bytes(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", bytes.data(), bytes.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < bytes.size()) {
      bytes.resize(static_cast<std::size_t>(n));
      return Utf8ToWide(bytes);
    }
    bytes.resize(bytes.size() * 2);
  }
}
