#include "logic/edition.h"

#include "logic/start_config.h"

TSetupEdition SetupEdition = seDirectInstall;
TUiLanguage UiLanguage = ulGerman;

TSetupEdition BuildEdition() { return START_EDITION_VALUE; }

void InitSetupEdition() { SetupEdition = BuildEdition(); }
