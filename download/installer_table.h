#pragma once

#include <string>
#include <string_view>

#include "logic/edition.h"

// One installer on the download server and the name it is saved under.
struct InstallerEntry {
  std::string_view path;
  std::wstring_view fileName;
};

// ulEnglish selects the English row; any other language value the German one.
InstallerEntry ChooseInstaller(TSetupEdition edition, TUiLanguage language);

// "http://" + host + path: no port unless the host carries one, no query.
std::string InstallerUrl(std::string_view host, const InstallerEntry& entry);
