#include "download/installer_temp_folder.h"

#include <vector>

namespace {

constexpr std::uint32_t kFirstBufferSize = 260;
// The size asked for can change between two calls when the environment does; give up then.
constexpr int kAttempts = 3;

std::wstring ReadTempPath(const TempPathApi& api) {
  std::vector<wchar_t> buffer(kFirstBufferSize);
  for (int i = 0; i < kAttempts; ++i) {
    const auto size = static_cast<std::uint32_t>(buffer.size());
    const std::uint32_t n = api.getTempPath(size, buffer.data());
    if (n == 0) return {};
    if (n < size) return std::wstring(buffer.data(), n);
    buffer.assign(static_cast<std::size_t>(n) + 1, L'\0');
  }
  return {};
}

}  // namespace

std::wstring ReadTempFolder(const TempPathApi& api) {
  const std::wstring folder = ReadTempPath(api);
  if (folder.empty()) return {};
  const std::uint32_t needed = api.getLongPathName(folder.c_str(), nullptr, 0);
  if (needed == 0) return {};
  std::vector<wchar_t> buffer(needed);
  const std::uint32_t n = api.getLongPathName(folder.c_str(), buffer.data(), needed);
  // The folder changed between the two calls: its short form still names it.
  if (n == 0 || n >= needed) return folder;
  return std::wstring(buffer.data(), n);
}
