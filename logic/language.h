#pragma once

#include <string>
#include <string_view>

#include "logic/edition.h"

// The abbreviated language name as compared: every code <= 32 removed at both ends, then cut
// to its first 4 characters.
std::wstring NormalizeAbbrevLangName(std::wstring_view name);

// German for exactly "DEU", "DE", "DEA" or "DES" (whole string, case-sensitive), else English.
TUiLanguage LanguageFromAbbrevName(std::wstring_view name);

// The folder code of a language: "de" for German, "en" for any other value.
std::wstring_view LanguageCode(TUiLanguage language);
