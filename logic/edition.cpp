#include "logic/edition.h"

#include "config/build_options.h"

TSetupEdition BuildEdition() { return START_EDITION_VALUE; }

void InitSetupEdition(SetupValues& values) { values.SetupEdition = BuildEdition(); }
