#pragma once

// The two process-wide values of the program: the build's edition and the display language.

enum TSetupEdition { seChoosePlatform = 0, seDirectInstall = 1, seCompanion = 2 };
enum TUiLanguage { ulGerman = 0, ulEnglish = 1 };

// Assigned once by InitSetupEdition, before any window exists; read-only afterwards.
extern TSetupEdition SetupEdition;
// Set only by language detection and ApplyLanguage; readers read it at the moment they act.
extern TUiLanguage UiLanguage;

// The edition this build was configured with (START_EDITION).
TSetupEdition BuildEdition();
// The last step of program initialisation.
void InitSetupEdition();
