#include "logic/key_bindings.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

using C = Control;

constexpr std::array kHeader{C::Image2, C::Image3, C::Image1};

// Reading order: line by line from the top, left to right on a line. On tsh1 "More" and the
// exit button share a line. A symbol and the label below it are one action; the label is cued.
constexpr std::array kTsh0{C::lblTumoOnlyInstall, C::PnlExitTumo};
constexpr std::array kTsh1{C::lblWindows, C::lblAndroid, C::lblMore, C::pnlExit};
constexpr std::array kTsh2{C::pnlBtnBack2};
constexpr std::array kTsh3{C::pnlBtnRety, C::pnlBtnCancelDownload};
constexpr std::array kTsh4{C::lblMorePavoWindows, C::lblMorePavoAndroid, C::lblMoreRilo,
                           C::lblMoreSoftwareRilo, C::pnlBtnBackOther};
constexpr std::array kTsh5{C::lblRiloInstall, C::PnlExitRilo};

const std::array<PageKeys, kPageCount> kPages{{
    {tsh0, C::lblTumoOnlyInstall, C::PnlExitTumo, kTsh0},
    {tsh1, C::lblWindows, C::pnlExit, kTsh1},
    {tsh2, std::nullopt, C::pnlBtnBack2, kTsh2},
    // Retry is the main action once it is shown, in the failure state.
    {tsh3, C::pnlBtnRety, C::pnlBtnCancelDownload, kTsh3},
    {tsh4, std::nullopt, C::pnlBtnBackOther, kTsh4},
    {tsh5, C::lblRiloInstall, C::PnlExitRilo, kTsh5},
}};

std::vector<Control> ShownCueOrder(TSetupPage page, const std::function<bool(Control)>& shown) {
  std::vector<Control> order(kHeader.begin(), kHeader.end());
  const auto pageOrder = KeysOf(page).cueOrder;
  order.insert(order.end(), pageOrder.begin(), pageOrder.end());
  std::erase_if(order, [&](Control c) { return !shown(c); });
  return order;
}

}  // namespace

std::span<const Control> HeaderCueOrder() { return kHeader; }

const PageKeys& KeysOf(TSetupPage page) { return kPages[page]; }

KeyOutcome PressKey(FormKey key, TSetupPage page, std::optional<Control> cued,
                    const std::function<bool(Control)>& shown) {
  const std::vector<Control> order = ShownCueOrder(page, shown);
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
