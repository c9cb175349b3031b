#pragma once

#include <cstdint>
#include <string>

#include "logic/controls.h"
#include "logic/download_page.h"
#include "logic/pages.h"

// What the setup logic needs from the window. The Win32 window implements it; tests record it.
class SetupView : public ProgressDisplay {
public:
  // The control shows the new text at once; an auto-sized label takes the size of its text.
  virtual void SetText(Control c, const std::wstring& text) = 0;
  virtual std::wstring GetText(Control c) const = 0;
  virtual void SetVisible(Control c, bool visible) = 0;
  // Makes the page the container's only visible page.
  virtual void ShowPage(TSetupPage page) = 0;
};
