#pragma once

#include "logic/controls.h"

// Sets a label's font style; the window implements it.
class LabelStyler {
public:
  virtual ~LabelStyler() = default;
  // underline: the style becomes underline alone; otherwise the empty (regular) style.
  virtual void SetLabelUnderline(Control label, bool underline) = 0;
};

// The window's hover handler pairs. Each pair acts on one fixed label, whichever control raised
// the event; the bindings table says which controls raise which pair.
class HoverHandlers {
public:
  explicit HoverHandlers(LabelStyler& styler) : styler_(styler) {}

  void imgWindowsMouseEnter() { styler_.SetLabelUnderline(Control::lblWindows, true); }
  void imgWindowsMouseLeave() { styler_.SetLabelUnderline(Control::lblWindows, false); }
  void imgAndroidMouseEnter() { styler_.SetLabelUnderline(Control::lblAndroid, true); }
  void imgAndroidMouseLeave() { styler_.SetLabelUnderline(Control::lblAndroid, false); }
  void lblAndroidMouseEnter() { styler_.SetLabelUnderline(Control::lblAndroid, true); }
  void lblAndroidMouseLeave() { styler_.SetLabelUnderline(Control::lblAndroid, false); }
  void lblMoreMouseEnter() { styler_.SetLabelUnderline(Control::lblMore, true); }
  void lblMoreMouseLeave() { styler_.SetLabelUnderline(Control::lblMore, false); }
  void lblMorePavoWindowsMouseEnter() {
    styler_.SetLabelUnderline(Control::lblMorePavoWindows, true);
  }
  void lblMorePavoWindowsMouseLeave() {
    styler_.SetLabelUnderline(Control::lblMorePavoWindows, false);
  }
  void lblMorePavoAndroidMouseEnter() {
    styler_.SetLabelUnderline(Control::lblMorePavoAndroid, true);
  }
  void lblMorePavoAndroidMouseLeave() {
    styler_.SetLabelUnderline(Control::lblMorePavoAndroid, false);
  }
  void lblMoreRiloMouseEnter() { styler_.SetLabelUnderline(Control::lblMoreRilo, true); }
  void lblMoreRiloMouseLeave() { styler_.SetLabelUnderline(Control::lblMoreRilo, false); }
  void lblMoreSoftwareRiloMouseEnter() {
    styler_.SetLabelUnderline(Control::lblMoreSoftwareRilo, true);
  }
  void lblMoreSoftwareRiloMouseLeave() {
    styler_.SetLabelUnderline(Control::lblMoreSoftwareRilo, false);
  }
  void lblWindowsMouseEnter() { styler_.SetLabelUnderline(Control::lblTumoOnlyInstall, true); }
  void lblWindowsMouseLeave() { styler_.SetLabelUnderline(Control::lblTumoOnlyInstall, false); }
  void lblRiloInstallMouseEnter() { styler_.SetLabelUnderline(Control::lblRiloInstall, true); }
  void lblRiloInstallMouseLeave() { styler_.SetLabelUnderline(Control::lblRiloInstall, false); }

private:
  LabelStyler& styler_;
};
