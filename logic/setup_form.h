#pragma once

#include <cstdint>
#include <string>

#include "logic/app_control.h"
#include "logic/download_control.h"
#include "logic/download_page.h"
#include "logic/edition.h"
#include "logic/links.h"
#include "logic/pages.h"
#include "logic/platform.h"
#include "logic/setup_view.h"
#include "logic/text_catalogue.h"

// The setup window's behaviour without the window: language, texts, pages, links and every
// click handler. The Win32 window reports clicks by control (Click) and applies what the
// handlers say through SetupView. Handlers may run nested inside a download attempt.
class SetupForm : public DownloadPage {
public:
  // The install handlers start their attempts on download, reported on this form.
  SetupForm(SetupView& view, SetupPlatform& platform, AppControl& app, DownloadControl& download,
            SetupValues& values);

  // The logic's steps of window creation, in the window's order: DetectLanguage after the
  // controls exist, ShowStartPage after the page container is prepared.
  void DetectLanguage();
  void ShowStartPage();

  void ApplyLanguage(TUiLanguage language);
  std::wstring ReadLocaleLanguage();
  std::wstring GetLanguageCode() const;
  void ShowPage(TSetupPage page);

  // Runs the handler bound to the clicked control; false when the control has no click action.
  bool Click(Control c);

  // Click handlers, each named after the first control it was made for.
  void Image1Click();
  void Image2Click();
  void Image3Click();
  void imgWindowsClick();
  void lblWindowsClick();
  void imgRiloInstallClick();
  void lblRiloInstallClick();
  void imgAndroidClick();
  void lblAndroidClick();
  void lblMoreClick();
  void pnlBtnBack2Click();
  void pnlBtnBackOtherClick();
  void lblMorePavoWindowsClick();
  void lblMorePavoAndroidClick();
  void lblMoreRiloClick();
  void lblMoreSoftwareRiloClick();
  void pnlBtnRetyClick();
  void pnlExitClick();
  void FormClose();

  // DownloadPage, applied to tsh3 whichever page is shown.
  void ShowDownloadPage() override;
  void ShowConnectionError() override;
  ProgressDisplay& Progress() override { return view_; }

private:
  void WriteTextRow(const TextRow& row, TUiLanguage language);
  void ShowLanguageSwitchPage();
  // tsh3's running state (running message and progress bar) or its failure state (failure
  // message and retry button).
  void ShowAttemptFailed(bool failed);
  void DownloadAndRun();
  // A target that cannot be formed or opened changes nothing and shows nothing.
  void OpenContactPage() noexcept;
  void OpenLocalTarget(LocalTarget target) noexcept;

  SetupView& view_;
  SetupPlatform& platform_;
  AppControl& app_;
  DownloadControl& download_;
  SetupValues& values_;
  TSetupPage activePage_ = tsh0;
  bool pageShown_ = false;
};
