#pragma once

#include "logic/controls.h"
#include "logic/pages.h"

// What the setup window's controls went through, for those who tell others about it (the
// keyboard cue, the screen reader's view). Called after the change.
class ViewChanges {
public:
  virtual ~ViewChanges() = default;
  virtual void PageShown(TSetupPage page) = 0;
  virtual void VisibilityChanged(Control c, bool visible) = 0;
  virtual void TextChanged(Control c) = 0;
};
