#include "logic/setup_form.h"

#include <array>
#include <optional>

namespace {

struct EditionPages {
  TSetupEdition edition;
  TSetupPage firstPage;
  // Empty: a language switch leaves the current page shown.
  std::optional<TSetupPage> afterLanguageSwitch;
  bool companionHeader;
};

constexpr std::array<EditionPages, 3> kEditionPages{{
    {seChoosePlatform, tsh1, tsh1, false},
    {seDirectInstall, tsh0, tsh0, false},
    {seCompanion, tsh5, std::nullopt, true},
}};

const EditionPages& PagesOf(TSetupEdition edition) {
  for (const auto& row : kEditionPages)
    if (row.edition == edition) return row;
  return kEditionPages[seDirectInstall];
}

}  // namespace

SetupForm::SetupForm(SetupView& view, SetupPlatform& platform, AppControl& app,
                     DownloadControl& download, SetupValues& values)
    : view_(view), platform_(platform), app_(app), download_(download), values_(values) {}

void SetupForm::ShowPage(TSetupPage page) {
  if (pageShown_ && page == activePage_) return;
  activePage_ = page;
  pageShown_ = true;
  view_.ShowPage(page);
}

void SetupForm::ShowStartPage() {
  const auto& pages = PagesOf(values_.SetupEdition);
  if (pages.companionHeader) {
    view_.SetVisible(Control::imgRilo, true);
    view_.SetVisible(Control::imgTumo, false);
  }
  ShowPage(pages.firstPage);
}

void SetupForm::ShowLanguageSwitchPage() {
  if (const auto page = PagesOf(values_.SetupEdition).afterLanguageSwitch) ShowPage(*page);
}

void SetupForm::Image2Click() {
  ApplyLanguage(ulGerman);
  ShowLanguageSwitchPage();
}

void SetupForm::Image3Click() {
  ApplyLanguage(ulEnglish);
  ShowLanguageSwitchPage();
}

void SetupForm::DownloadAndRun() { download_.DownloadAndRun(*this); }

void SetupForm::imgWindowsClick() { DownloadAndRun(); }
void SetupForm::lblWindowsClick() { DownloadAndRun(); }
void SetupForm::imgRiloInstallClick() { DownloadAndRun(); }
void SetupForm::lblRiloInstallClick() { DownloadAndRun(); }
void SetupForm::pnlBtnRetyClick() { DownloadAndRun(); }

void SetupForm::imgAndroidClick() { ShowPage(tsh2); }
void SetupForm::lblAndroidClick() { ShowPage(tsh2); }
void SetupForm::lblMoreClick() { ShowPage(tsh4); }
void SetupForm::pnlBtnBack2Click() { ShowPage(tsh1); }
void SetupForm::pnlBtnBackOtherClick() { ShowPage(tsh1); }

void SetupForm::pnlExitClick() { app_.ExitSetup(); }
void SetupForm::FormClose() { app_.ExitSetup(); }

// Every attempt shows itself running, also a retry after a failure: a page that still asked to
// check the connection would report a failure where there is none.
void SetupForm::ShowDownloadPage() {
  ShowAttemptFailed(false);
  ShowPage(tsh3);
}

void SetupForm::ShowConnectionError() { ShowAttemptFailed(true); }

void SetupForm::ShowAttemptFailed(bool failed) {
  view_.SetVisible(Control::lblDownloadHeader, !failed);
  view_.SetVisible(Control::ProgressBar1, !failed);
  view_.SetVisible(Control::lblNoConnection, failed);
  view_.SetVisible(Control::pnlBtnRety, failed);
}
