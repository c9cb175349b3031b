#pragma once

enum TSetupEdition { seChoosePlatform = 0, seDirectInstall = 1, seCompanion = 2 };
enum TUiLanguage { ulGerman = 0, ulEnglish = 1 };

// The two process-wide values of the program: the build's edition and the display language.
// The application owns the one instance and passes it to whoever reads or sets them.
struct SetupValues {
  // Assigned once by InitSetupEdition, before any window exists; read-only afterwards.
  TSetupEdition SetupEdition = seDirectInstall;
  // Set only by language detection and ApplyLanguage; readers read it at the moment they act.
  TUiLanguage UiLanguage = ulGerman;
};

// The edition this build was configured with (START_EDITION).
TSetupEdition BuildEdition();
// Sets the build's edition; the start-up does it once, before any window exists.
void InitSetupEdition(SetupValues& values);
