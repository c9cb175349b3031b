#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

#include "logic/platform.h"

namespace {

// Windows' abbreviated names for the locales a test or a developer is likely to use.
struct LocaleAbbrev {
  std::string_view locale;
  std::wstring_view abbrev;
};

constexpr std::array<LocaleAbbrev, 16> kLocaleAbbrevs{{
    {"de", L"DEU"},
    {"de_DE", L"DEU"},
    {"de_AT", L"DEA"},
    {"de_CH", L"DES"},
    {"de_LU", L"DEL"},
    {"de_LI", L"DEC"},
    {"en", L"ENU"},
    {"en_US", L"ENU"},
    {"en_GB", L"ENG"},
    {"en_AU", L"ENA"},
    {"en_CA", L"ENC"},
    {"en_IE", L"ENI"},
    {"fr_FR", L"FRA"},
    {"it_IT", L"ITA"},
    {"es_ES", L"ESN"},
    {"nl_NL", L"NLD"},
}};

// The locale of messages as POSIX picks it: LC_ALL, then LC_MESSAGES, then LANG.
std::string_view MessagesLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

// "de_DE.UTF-8@euro" -> "de_DE".
std::string_view LanguageAndTerritory(std::string_view locale) {
  return locale.substr(0, locale.find_first_of(".@"));
}

void AppendUtf8Decoded(std::wstring& out, std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const int extra = lead < 0x80           ? 0
                      : (lead >> 5) == 0x6  ? 1
                      : (lead >> 4) == 0xE  ? 2
                      : (lead >> 3) == 0x1E ? 3
                                            : -1;
    char32_t code = extra == 0   ? lead
                    : extra == 1 ? lead & 0x1F
                    : extra == 2 ? lead & 0x0F
                                 : lead & 0x07;
    bool valid = extra >= 0 && i + extra < bytes.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    out.push_back(valid ? static_cast<wchar_t>(code) : L'\uFFFD');
    i += valid ? extra + 1 : 1;
  }
}

class PosixSetupPlatform final : public SetupPlatform {
public:
  int GetLocaleAbbrevLangName(wchar_t* buffer, int capacity) override {
    const auto locale = LanguageAndTerritory(MessagesLocale());
    for (const auto& row : kLocaleAbbrevs) {
      if (row.locale != locale) continue;
      const int length = static_cast<int>(row.abbrev.size());
      if (capacity <= length) return 0;
      row.abbrev.copy(buffer, row.abbrev.size());
      buffer[length] = L'\0';
      return length + 1;
    }
    return 0;
  }

  std::wstring ModuleFileName() override {
    std::string bytes(256, '\0');
    for (;;) {
      const ssize_t n = readlink("/proc/self/exe", bytes.data(), bytes.size());
      if (n < 0) return {};
      if (static_cast<std::size_t>(n) < bytes.size()) {
        bytes.resize(static_cast<std::size_t>(n));
        break;
      }
      bytes.resize(bytes.size() * 2);
    }
    std::wstring path;
    AppendUtf8Decoded(path, bytes);
    return path;
  }

  // No shell hand-over outside Windows: the native build exists for the tests.
  void ShellOpen(const std::wstring&) override {}
};

}  // namespace

SetupPlatform& NativeSetupPlatform() {
  static PosixSetupPlatform platform;
  return platform;
}
