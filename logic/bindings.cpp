#include "logic/bindings.h"

#include "logic/setup_form.h"

namespace {

using C = Control;
using F = SetupForm;

struct ClickRow {
  Control control;
  void (SetupForm::*handler)();
};

// A handler shared by several controls keeps the name of the first one it was made for.
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
  Control pointerOver;
  Control label;
};

// The last three rows share handler pairs whose label lies on another page (lblWindowsMouseEnter
// on lblWindows, imgWindowsMouseEnter on Image6 and imgRiloInstall), so hovering them changes
// nothing that can be seen.
constexpr HoverRow kHovers[] = {
    {C::imgWindows, C::lblWindows},
    {C::imgAndroid, C::lblAndroid},
    {C::lblAndroid, C::lblAndroid},
    {C::lblMore, C::lblMore},
    {C::lblMorePavoWindows, C::lblMorePavoWindows},
    {C::lblMorePavoAndroid, C::lblMorePavoAndroid},
    {C::lblMoreRilo, C::lblMoreRilo},
    {C::lblMoreSoftwareRilo, C::lblMoreSoftwareRilo},
    {C::lblTumoOnlyInstall, C::lblTumoOnlyInstall},
    {C::lblRiloInstall, C::lblRiloInstall},
    {C::lblWindows, C::lblTumoOnlyInstall},
    {C::Image6, C::lblWindows},
    {C::imgRiloInstall, C::lblWindows},
};

const ClickRow* ClickOf(Control c) {
  for (const ClickRow& row : kClicks)
    if (row.control == c) return &row;
  return nullptr;
}

}  // namespace

bool SetupForm::Click(Control c) {
  const ClickRow* row = ClickOf(c);
  if (row) (this->*row->handler)();
  return row != nullptr;
}

std::optional<Control> HoverLabel(Control pointerOver) {
  for (const HoverRow& row : kHovers)
    if (row.pointerOver == pointerOver) return row.label;
  return std::nullopt;
}

bool Clickable(Control c) { return ClickOf(c) != nullptr; }
