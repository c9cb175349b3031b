#include "logic/key_bindings.h"

#include <algorithm>
#include <array>
#include <vector>

#include "logic/reading_order.h"

namespace {

using C = Control;

// One row per page, in page order.
const std::array<PageKeys, kPageCount> kPages{{
    {C::lblTumoOnlyInstall, C::PnlExitTumo},  // tsh0
    {C::lblWindows, C::pnlExit},              // tsh1
    {std::nullopt, C::pnlBtnBack2},           // tsh2
    // Retry is the main action once it is shown, in the failure state.
    {C::pnlBtnRety, C::pnlBtnCancelDownload},  // tsh3
    {std::nullopt, C::pnlBtnBackOther},        // tsh4
    {C::lblRiloInstall, C::PnlExitRilo},       // tsh5
}};

}  // namespace

const PageKeys& KeysOf(TSetupPage page) { return kPages[page]; }

KeyOutcome PressKey(FormKey key, TSetupPage page, std::optional<Control> cued,
                    const std::function<bool(Control)>& shown) {
  std::vector<Control> order = CueOrder(page);
  std::erase_if(order, [&](Control c) { return !shown(c); });
  const auto at = cued ? std::find(order.begin(), order.end(), *cued) : order.end();
  const std::optional<Control> current =
      at == order.end() ? std::nullopt : std::optional<Control>(*at);
  const auto step = [&](bool forward) -> std::optional<Control> {
    if (order.empty()) return std::nullopt;
    if (!current) return forward ? order.front() : order.back();
    const auto i = static_cast<std::size_t>(at - order.begin());
    return order[(i + (forward ? 1 : order.size() - 1)) % order.size()];
  };
  const PageKeys& keys = KeysOf(page);
  switch (key) {
    case FormKey::Tab: return {std::nullopt, step(true)};
    case FormKey::ShiftTab: return {std::nullopt, step(false)};
    case FormKey::Space: return {current, current};
    case FormKey::Enter:
      if (current) return {current, current};
      if (keys.enter && shown(*keys.enter)) return {keys.enter, current};
      return {std::nullopt, current};
    case FormKey::Escape:
      return {shown(keys.escape) ? std::optional<Control>(keys.escape) : std::nullopt, current};
  }
  return {std::nullopt, current};
}
