#include "ui/bindings.h"

namespace bindings {
namespace {

using C = Control;
using F = SetupForm;
using H = HoverHandlers;

struct ClickRow {
  Control control;
  ClickHandler handler;
};

constexpr ClickRow kClicks[] = {
    {C::Image1, &F::Image1Click},
    {C::Image2, &F::Image2Click},
    {C::Image3, &F::Image3Click},
    {C::imgWindows, &F::imgWindowsClick},
    {C::Image6, &F::imgWindowsClick},
    {C::lblWindows, &F::lblWindowsClick},
    {C::lblTumoOnlyInstall, &F::lblWindowsClick},
    {C::imgRiloInstall, &F::imgRiloInstallClick},
    {C::lblRiloInstall, &F::lblRiloInstallClick},
    {C::imgAndroid, &F::imgAndroidClick},
    {C::lblAndroid, &F::lblAndroidClick},
    {C::lblMore, &F::lblMoreClick},
    {C::pnlBtnBack2, &F::pnlBtnBack2Click},
    {C::pnlBtnBackOther, &F::pnlBtnBackOtherClick},
    {C::lblMorePavoWindows, &F::lblMorePavoWindowsClick},
    {C::lblMorePavoAndroid, &F::lblMorePavoAndroidClick},
    {C::lblMoreRilo, &F::lblMoreRiloClick},
    {C::lblMoreSoftwareRilo, &F::lblMoreSoftwareRiloClick},
    {C::pnlBtnRety, &F::pnlBtnRetyClick},
    {C::pnlExit, &F::pnlExitClick},
    {C::PnlExitTumo, &F::pnlExitClick},
    {C::PnlExitRilo, &F::pnlExitClick},
    {C::pnlBtnCancelDownload, &F::pnlExitClick},
};

struct HoverRow {
  Control control;
  HoverPair pair;
};

// lblWindows, Image6 and imgRiloInstall share pairs whose label lies on another page, so
// hovering them changes nothing that can be seen.
constexpr HoverRow kHovers[] = {
    {C::imgWindows, {&H::imgWindowsMouseEnter, &H::imgWindowsMouseLeave}},
    {C::imgAndroid, {&H::imgAndroidMouseEnter, &H::imgAndroidMouseLeave}},
    {C::lblAndroid, {&H::lblAndroidMouseEnter, &H::lblAndroidMouseLeave}},
    {C::lblMore, {&H::lblMoreMouseEnter, &H::lblMoreMouseLeave}},
    {C::lblMorePavoWindows, {&H::lblMorePavoWindowsMouseEnter, &H::lblMorePavoWindowsMouseLeave}},
    {C::lblMorePavoAndroid, {&H::lblMorePavoAndroidMouseEnter, &H::lblMorePavoAndroidMouseLeave}},
    {C::lblMoreRilo, {&H::lblMoreRiloMouseEnter, &H::lblMoreRiloMouseLeave}},
    {C::lblMoreSoftwareRilo,
     {&H::lblMoreSoftwareRiloMouseEnter, &H::lblMoreSoftwareRiloMouseLeave}},
    {C::lblTumoOnlyInstall, {&H::lblWindowsMouseEnter, &H::lblWindowsMouseLeave}},
    {C::lblRiloInstall, {&H::lblRiloInstallMouseEnter, &H::lblRiloInstallMouseLeave}},
    {C::lblWindows, {&H::lblWindowsMouseEnter, &H::lblWindowsMouseLeave}},
    {C::Image6, {&H::imgWindowsMouseEnter, &H::imgWindowsMouseLeave}},
    {C::imgRiloInstall, {&H::imgWindowsMouseEnter, &H::imgWindowsMouseLeave}},
};

}  // namespace

std::optional<ClickHandler> ClickHandlerFor(Control c) {
  for (const auto& row : kClicks)
    if (row.control == c) return row.handler;
  return std::nullopt;
}

std::optional<HoverPair> HoverPairFor(Control c) {
  for (const auto& row : kHovers)
    if (row.control == c) return row.pair;
  return std::nullopt;
}

}  // namespace bindings
