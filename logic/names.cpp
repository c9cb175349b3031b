#include <array>
#include <string_view>

#include "logic/controls.h"
#include "logic/pages.h"

namespace {

struct ControlEntry {
  Control control;
  std::string_view name;
};

constexpr std::array<ControlEntry, kControlCount> kControlNames{{
    {Control::imgRilo, "imgRilo"},
    {Control::Image1, "Image1"},
    {Control::imgTumo, "imgTumo"},
    {Control::Image2, "Image2"},
    {Control::Image3, "Image3"},
    {Control::lblSetupTitle, "lblSetupTitle"},
    {Control::imgWindows, "imgWindows"},
    {Control::imgAndroid, "imgAndroid"},
    {Control::lblWindows, "lblWindows"},
    {Control::lblAndroid, "lblAndroid"},
    {Control::lblMore, "lblMore"},
    {Control::pnlExit, "pnlExit"},
    {Control::lblAndroidStep1, "lblAndroidStep1"},
    {Control::lblAndroidStep2, "lblAndroidStep2"},
    {Control::lblAndroidStep3, "lblAndroidStep3"},
    {Control::lblAndroidStep4, "lblAndroidStep4"},
    {Control::pnlBtnBack2, "pnlBtnBack2"},
    {Control::lblNoConnection, "lblNoConnection"},
    {Control::lblDownloadHeader, "lblDownloadHeader"},
    {Control::ProgressBar1, "ProgressBar1"},
    {Control::pnlBtnRety, "pnlBtnRety"},
    {Control::pnlBtnCancelDownload, "pnlBtnCancelDownload"},
    {Control::lblMorePDF, "lblMorePDF"},
    {Control::lblMorePavoWindows, "lblMorePavoWindows"},
    {Control::lblMorePavoAndroid, "lblMorePavoAndroid"},
    {Control::lblMoreRilo, "lblMoreRilo"},
    {Control::lblMoreSoftware, "lblMoreSoftware"},
    {Control::lblMoreSoftwareRilo, "lblMoreSoftwareRilo"},
    {Control::pnlBtnBackOther, "pnlBtnBackOther"},
    {Control::lblSetupTitle2, "lblSetupTitle2"},
    {Control::Image6, "Image6"},
    {Control::lblTumoOnlyInstall, "lblTumoOnlyInstall"},
    {Control::PnlExitTumo, "PnlExitTumo"},
    {Control::lblSetupRilo, "lblSetupRilo"},
    {Control::imgRiloInstall, "imgRiloInstall"},
    {Control::lblRiloInstall, "lblRiloInstall"},
    {Control::PnlExitRilo, "PnlExitRilo"},
}};

constexpr std::array<std::string_view, kPageCount> kPageNames{"tsh0", "tsh1", "tsh2",
                                                              "tsh3", "tsh4", "tsh5"};

// Lookups index the table by the enum value, so the table must follow the enum's order.
constexpr bool InEnumOrder() {
  for (int i = 0; i < kControlCount; ++i)
    if (static_cast<int>(kControlNames[i].control) != i) return false;
  return true;
}
static_assert(InEnumOrder());

}  // namespace

std::string_view ControlName(Control c) {
  const auto i = static_cast<int>(c);
  return i >= 0 && i < kControlCount ? kControlNames[i].name : std::string_view{};
}

std::string_view PageName(TSetupPage p) {
  const auto i = static_cast<int>(p);
  return i >= 0 && i < kPageCount ? kPageNames[i] : std::string_view{};
}
