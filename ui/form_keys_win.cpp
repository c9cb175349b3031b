#include "ui/form_keys_win.h"

#include <algorithm>
#include <vector>

#include "logic/reading_order.h"

namespace {

struct KeyRow {
  WPARAM virtualKey;
  FormKey key;
  FormKey withShift;
  bool repeats;  // held down, it acts again; an action key acts once, as a click does
};

constexpr KeyRow kKeys[] = {
    {VK_RETURN, FormKey::Enter, FormKey::Enter, false},
    {VK_ESCAPE, FormKey::Escape, FormKey::Escape, false},
    {VK_SPACE, FormKey::Space, FormKey::Space, false},
    {VK_TAB, FormKey::Tab, FormKey::ShiftTab, true},
};

bool Down(int virtualKey) { return GetKeyState(virtualKey) < 0; }

// Bit 30 of a key message: the key was already down.
bool Repeated(LPARAM flags) { return (flags & (LPARAM{1} << 30)) != 0; }

}  // namespace

FormKeys::FormKeys(HWND form, SetupViewWin& view, SetupForm& logic)
    : form_(form), view_(view), logic_(logic) {
  SendMessageW(form_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
}

bool FormKeys::KeyDown(WPARAM virtualKey, LPARAM flags) {
  const auto row = std::find_if(std::begin(kKeys), std::end(kKeys), [virtualKey](const KeyRow& r) {
    return r.virtualKey == virtualKey;
  });
  const auto page = view_.ActivePage();
  // Ctrl+Tab and the like find nothing: there is no next page to go to.
  if (row == std::end(kKeys) || !page || Down(VK_CONTROL) || Down(VK_MENU)) return false;
  if (Repeated(flags) && !row->repeats) return true;
  if (!CuesShown()) SendMessageW(form_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  const KeyOutcome outcome = PressKey(Down(VK_SHIFT) ? row->withShift : row->key, *page, cued_,
                                      [this](Control c) { return view_.ControlVisible(c); });
  MoveCue(outcome.cue);
  if (outcome.click) logic_.Click(*outcome.click);
  return true;
}

void FormKeys::UiStateChanged() {
  if (cued_) view_.SetCued(*cued_, CuesShown());
}

void FormKeys::Cue(Control c) { MoveCue(c); }

// A cue on the page that goes away goes with it; a cue on a flag or the logo stays.
void FormKeys::PageShown(TSetupPage page) {
  if (!cued_) return;
  const std::vector<Control> order = CueOrder(page);
  if (std::find(order.begin(), order.end(), *cued_) == order.end()) MoveCue(std::nullopt);
}

void FormKeys::VisibilityChanged(Control c, bool visible) {
  if (!visible && cued_ == c) MoveCue(std::nullopt);
}

void FormKeys::MoveCue(std::optional<Control> to) {
  if (cued_ == to) return;
  if (cued_) view_.SetCued(*cued_, false);
  cued_ = to;
  if (cued_) view_.SetCued(*cued_, CuesShown());
  if (moved_) moved_(cued_);
}

bool FormKeys::CuesShown() const {
  return (SendMessageW(form_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}
