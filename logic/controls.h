#pragma once

#include <string_view>

// Every control of the setup window that other code names. The window layer maps each to its
// widget; the logic only ever speaks of controls through these values.
enum class Control {
  // header
  imgRilo,
  Image1,
  imgTumo,
  Image2,
  Image3,
  // tsh1
  lblSetupTitle,
  imgWindows,
  imgAndroid,
  lblWindows,
  lblAndroid,
  lblMore,
  pnlExit,
  // tsh2
  lblAndroidStep1,
  lblAndroidStep2,
  lblAndroidStep3,
  lblAndroidStep4,
  pnlBtnBack2,
  // tsh3
  lblNoConnection,
  lblDownloadHeader,
  ProgressBar1,
  pnlBtnRety,
  pnlBtnCancelDownload,
  // tsh4
  lblMorePDF,
  lblMorePavoWindows,
  lblMorePavoAndroid,
  lblMoreRilo,
  lblMoreSoftware,
  lblMoreSoftwareRilo,
  pnlBtnBackOther,
  // tsh0
  lblSetupTitle2,
  Image6,
  lblTumoOnlyInstall,
  PnlExitTumo,
  // tsh5
  lblSetupRilo,
  imgRiloInstall,
  lblRiloInstall,
  PnlExitRilo,
};

inline constexpr int kControlCount = static_cast<int>(Control::PnlExitRilo) + 1;

std::string_view ControlName(Control c);
