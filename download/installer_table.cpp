#include "download/installer_table.h"

namespace {

struct Row {
  bool companion;
  bool english;
  InstallerEntry entry;
};

constexpr Row kRows[] = {
    {false, false, {"/prg/tumo.exe", L"marlek-tumo.exe"}},
    {false, true, {"/prg/pavo.exe", L"marlek-ward-pilot.exe"}},
    {true, false, {"/prg/rilo-de.exe", L"marlek-rilo.exe"}},
    {true, true, {"/prg/rilo-en.exe", L"marlek-rilo.exe"}},
};

}  // namespace

InstallerEntry ChooseInstaller(TSetupEdition edition, TUiLanguage language) {
  const bool companion = edition == seCompanion;
  const bool english = language == ulEnglish;
  for (const Row& row : kRows) {
    if (row.companion == companion && row.english == english) return row.entry;
  }
  return kRows[0].entry;
}

std::string InstallerUrl(std::string_view host, const InstallerEntry& entry) {
  std::string url = "http://";
  url.append(host);
  url.append(entry.path);
  return url;
}
