#include "ui/page_container_win.h"

#include <commctrl.h>

#include <string>
#include <string_view>

#include "logic/pages.h"
#include "base/win32_error_win.h"

PageContainer::PageContainer(HWND parent, const RECT& box, HFONT font) {
  tab_.reset(CreateWindowExW(
      0, WC_TABCONTROLW, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TCS_BUTTONS | TCS_FLATBUTTONS |
          TCS_SINGLELINE | TCS_FOCUSNEVER,
      box.left, box.top, box.right - box.left, box.bottom - box.top, parent, nullptr,
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr));
  if (!tab_) ThrowLastError("CreateWindowExW");
  SendMessageW(tab_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void PageContainer::AddPage(TSetupPage page, HWND sheet) {
  Slot& slot = slots_[page];
  slot.sheet = sheet;
  slot.order = pageCount_++;
  slot.hasTab = true;
  const std::string_view name = PageName(page);
  std::wstring caption(name.begin(), name.end());
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = caption.data();
  SendMessageW(tab_.get(), TCM_INSERTITEMW, TabIndex(page), reinterpret_cast<LPARAM>(&item));
  Realign();
}

void PageContainer::PlaceSheet(TSetupPage page, HWND sheet) {
  slots_[page].sheet = sheet;
  slots_[page].placed.reset();
  Realign();
}

void PageContainer::SelectTab(TSetupPage page) {
  SendMessageW(tab_.get(), TCM_SETCURSEL, TabIndex(page), 0);
  ShowPage(page);
}

void PageContainer::InstallTabWndProc() {
  FOldTabProc.Install(tab_.get(), [this](UINT msg, WPARAM wp, LPARAM lp) {
    TMessage message{msg, wp, lp, 0};
    TabWndProc(message);
    return message.Result;
  });
}

void PageContainer::TabWndProc(TMessage& Message) {
  Message.Result = FOldTabProc.CallOriginal(Message.Msg, Message.WParam, Message.LParam);
  if (Message.Msg == TCM_ADJUSTRECT) {
    // Tabs are on top: stretch the page area over the whole container, 8 pixels higher.
    auto* rect = reinterpret_cast<RECT*>(Message.LParam);
    RECT client;
    GetClientRect(tab_.get(), &client);
    rect->left = 0;
    rect->right = client.right;
    rect->top = rect->top - 8;
    rect->bottom = client.bottom;
  }
}

int PageContainer::TabIndex(TSetupPage page) const {
  int index = 0;
  for (const Slot& s : slots_)
    if (s.hasTab && s.order < slots_[page].order) ++index;
  return index;
}

void PageContainer::HideTab(TSetupPage page) {
  Slot& slot = slots_[page];
  if (!slot.hasTab) return;
  SendMessageW(tab_.get(), TCM_DELETEITEM, TabIndex(page), 0);
  slot.hasTab = false;
  if (active_ == page) {
    ShowWindow(slot.sheet, SW_HIDE);
    active_.reset();
  }
  Realign();
}

void PageContainer::ShowPage(TSetupPage page) {
  if (active_ == page) return;
  SetWindowPos(slots_[page].sheet, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (active_) ShowWindow(slots_[*active_].sheet, SW_HIDE);
  active_ = page;
}

RECT PageContainer::PageRect() const {
  RECT rect;
  GetClientRect(tab_.get(), &rect);
  SendMessageW(tab_.get(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
  rect.top += 2;
  return rect;
}

// Only sheets whose place changes are moved: every move costs a trip through the window
// system, and adding or removing a tab seldom changes the page area.
void PageContainer::Realign() {
  const RECT r = PageRect();
  for (Slot& s : slots_) {
    if (!s.sheet || (s.placed && EqualRect(&*s.placed, &r))) continue;
    SetWindowPos(s.sheet, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    s.placed = r;
  }
}
