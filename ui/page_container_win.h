#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "logic/pages.h"
#include "base/handles_win.h"
#include "ui/window_base_win.h"

// A message as TabWndProc sees it; whatever answers it leaves its answer in Result.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// PageControl1: a platform tab control ("SysTabControl32", flat buttons, one row, tabs on
// top) holding the six pages. With TabWndProc installed and every tab button hidden, the page
// area is stretched over the whole container, so no tab strip is ever seen.
class PageContainer {
public:
  PageContainer(HWND parent, const RECT& box, HFONT font);
  PageContainer(const PageContainer&) = delete;
  PageContainer& operator=(const PageContainer&) = delete;

  HWND Handle() const { return tab_.get(); }

  // Adds a page with its tab button, in container order, hidden; its window may come later.
  void AddPage(TSetupPage page, HWND sheet);
  // Gives a page added without one its window, in place and hidden.
  void PlaceSheet(TSetupPage page, HWND sheet);
  // Selects the page's tab button and makes the page active, as while the tabs still exist.
  void SelectTab(TSetupPage page);
  void InstallTabWndProc();
  // Removes the page's tab item and leaves the page in place; hiding the active page's tab
  // leaves no page active.
  void HideTab(TSetupPage page);
  // Makes the page the active and only visible one.
  void ShowPage(TSetupPage page);
  std::optional<TSetupPage> ActivePage() const { return active_; }

  // The rectangle every page fills: the client area adjusted by TCM_ADJUSTRECT, then moved
  // down by 2 for tabs on top.
  RECT PageRect() const;

private:
  struct Slot {
    HWND sheet = nullptr;
    int order = -1;
    bool hasTab = false;
    std::optional<RECT> placed;  // where Realign last put the sheet
  };

  void TabWndProc(TMessage& Message);
  int TabIndex(TSetupPage page) const;
  void Realign();

  WindowHandle tab_;
  // The way to the procedure the container had before TabWndProc; declared after tab_, so the
  // subclass goes before the window.
  WindowSubclass FOldTabProc;
  std::array<Slot, kPageCount> slots_{};
  int pageCount_ = 0;
  std::optional<TSetupPage> active_;
};
