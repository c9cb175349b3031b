#include "logic/language.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr std::size_t kMaxAbbrevLength = 4;

constexpr std::array<std::wstring_view, 4> kGermanAbbrevNames{L"DEU", L"DE", L"DEA", L"DES"};

bool IsTrimmed(wchar_t c) { return static_cast<std::uint32_t>(c) <= 32; }

}  // namespace

std::wstring NormalizeAbbrevLangName(std::wstring_view name) {
  while (!name.empty() && IsTrimmed(name.front())) name.remove_prefix(1);
  while (!name.empty() && IsTrimmed(name.back())) name.remove_suffix(1);
  return std::wstring(name.substr(0, kMaxAbbrevLength));
}

TUiLanguage LanguageFromAbbrevName(std::wstring_view name) {
  const bool german = std::find(kGermanAbbrevNames.begin(), kGermanAbbrevNames.end(), name) !=
                      kGermanAbbrevNames.end();
  return german ? ulGerman : ulEnglish;
}

std::wstring_view LanguageCode(TUiLanguage language) {
  return language == ulGerman ? L"de" : L"en";
}
