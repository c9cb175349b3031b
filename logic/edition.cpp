#include "logic/edition.h"

#include "logic/start_config.h"

TSetupEdition BuildEdition() { return START_EDITION_VALUE; }

void InitSetupEdition(SetupValues& values) { values.SetupEdition = BuildEdition(); }
