#include "logic/setup_form.h"

void SetupForm::OpenContactPage() noexcept {
  try {
    platform_.ShellOpen(ContactAddress(values_.UiLanguage));
  } catch (...) {
  }
}

void SetupForm::OpenLocalTarget(LocalTarget target) noexcept {
  try {
    platform_.ShellOpen(LocalTargetPath(platform_.ModuleFileName(), values_.UiLanguage, target));
  } catch (...) {
  }
}

void SetupForm::Image1Click() { OpenContactPage(); }
void SetupForm::lblMorePavoWindowsClick() { OpenLocalTarget(LocalTarget::PavoWindowsManual); }
void SetupForm::lblMorePavoAndroidClick() { OpenLocalTarget(LocalTarget::PavoAndroidManual); }
void SetupForm::lblMoreRiloClick() { OpenLocalTarget(LocalTarget::RiloManual); }

// Ends the program whatever the shell did with the companion program.
void SetupForm::lblMoreSoftwareRiloClick() {
  OpenLocalTarget(LocalTarget::RiloProgram);
  app_.ExitSetup();
}
