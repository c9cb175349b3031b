#include "logic/links.h"

#include <array>

#include "logic/language.h"
#include "config/build_options.h"

namespace {

struct TargetFiles {
  LocalTarget target;
  std::wstring_view german;
  std::wstring_view english;
};

constexpr std::array<TargetFiles, 4> kTargetFiles{{
    {LocalTarget::PavoWindowsManual, L"\\PDF\\tumo.pdf", L"\\PDF\\pavo.pdf"},
    {LocalTarget::PavoAndroidManual, L"\\PDF\\android-wachtwerk.pdf", L"\\PDF\\pavo.pdf"},
    {LocalTarget::RiloManual, L"\\PDF\\rilo.pdf", L"\\PDF\\rilo.pdf"},
    {LocalTarget::RiloProgram, L"\\PRG\\rilo.exe", L"\\PRG\\rilo.exe"},
}};

constexpr std::wstring_view kBinFolder = L"\\bin\\";

}  // namespace

std::wstring ContactAddress(TUiLanguage language) {
  if (language == ulEnglish)
    return std::wstring(L"https://") + START_SITE_EN_W + L"/en/support/contact-us/";
  return std::wstring(L"https://") + START_SITE_DE_W + L"/kontakt/";
}

std::wstring_view ProgramFolder(std::wstring_view moduleFile) {
  const auto last = moduleFile.find_last_of(L"\\:");
  return last == std::wstring_view::npos ? std::wstring_view{} : moduleFile.substr(0, last + 1);
}

std::wstring_view TargetFilePart(LocalTarget target, TUiLanguage language) {
  for (const auto& row : kTargetFiles)
    if (row.target == target) return language == ulGerman ? row.german : row.english;
  return {};
}

std::wstring LocalTargetPath(std::wstring_view moduleFile, TUiLanguage language,
                             LocalTarget target) {
  std::wstring path(ProgramFolder(moduleFile));
  path += kBinFolder;
  path += LanguageCode(language);
  path += TargetFilePart(target, language);
  return path;
}
