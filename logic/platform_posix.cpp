#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/module_file.h"
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

  std::wstring ModuleFileName() override { return ::ModuleFileName(); }

  // No shell hand-over outside Windows: the native build exists for the tests.
  void ShellOpen(const std::wstring&) override {}
};

}  // namespace

SetupPlatform& NativeSetupPlatform() {
  static PosixSetupPlatform platform;
  return platform;
}
