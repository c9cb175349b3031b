#include "ui/accessible_items.h"

#include <algorithm>

namespace accessible {
namespace {

using C = Control;
using R = Role;
using N = Name;

constexpr Item Own(Control c, Role role) { return {c, role, N::OwnText, std::nullopt, nullptr}; }
constexpr Item Symbol(Control c, Control label) {
  return {c, R::Graphic, N::TextOf, label, nullptr};
}

constexpr Item kItems[] = {
    // header
    {C::Image2, R::Button, N::Fixed, std::nullopt, L"Deutsch"},
    {C::Image3, R::Button, N::Fixed, std::nullopt, L"English"},
    {C::Image1, R::Link, N::ContactAddress, std::nullopt, nullptr},
    // tsh1
    Own(C::lblSetupTitle, R::Text),
    Symbol(C::imgWindows, C::lblWindows),
    Symbol(C::imgAndroid, C::lblAndroid),
    Own(C::lblWindows, R::Link),
    Own(C::lblAndroid, R::Link),
    Own(C::lblMore, R::Link),
    Own(C::pnlExit, R::Button),
    // tsh2
    Own(C::lblAndroidStep1, R::Text),
    Own(C::lblAndroidStep2, R::Text),
    Own(C::lblAndroidStep3, R::Text),
    Own(C::lblAndroidStep4, R::Text),
    Own(C::pnlBtnBack2, R::Button),
    // tsh3
    Own(C::lblNoConnection, R::Text),
    Own(C::lblDownloadHeader, R::Text),
    {C::ProgressBar1, R::ProgressBar, N::None, std::nullopt, nullptr},
    Own(C::pnlBtnRety, R::Button),
    Own(C::pnlBtnCancelDownload, R::Button),
    // tsh4
    Own(C::lblMorePDF, R::Text),
    Own(C::lblMorePavoWindows, R::Link),
    Own(C::lblMorePavoAndroid, R::Link),
    Own(C::lblMoreRilo, R::Link),
    Own(C::lblMoreSoftware, R::Text),
    Own(C::lblMoreSoftwareRilo, R::Link),
    Own(C::pnlBtnBackOther, R::Button),
    // tsh0
    Own(C::lblSetupTitle2, R::Text),
    Symbol(C::Image6, C::lblTumoOnlyInstall),
    Own(C::lblTumoOnlyInstall, R::Link),
    Own(C::PnlExitTumo, R::Button),
    // tsh5
    Own(C::lblSetupRilo, R::Text),
    Symbol(C::imgRiloInstall, C::lblRiloInstall),
    Own(C::lblRiloInstall, R::Link),
    Own(C::PnlExitRilo, R::Button),
};

}  // namespace

std::span<const Item> Items() { return kItems; }

const Item* Find(Control c) {
  const auto it = std::find_if(std::begin(kItems), std::end(kItems),
                               [c](const Item& item) { return item.control == c; });
  return it == std::end(kItems) ? nullptr : it;
}

long ChildId(Control c) { return static_cast<long>(Find(c) - std::begin(kItems)) + 1; }

std::optional<Control> ControlOf(long childId) {
  if (childId < 1 || childId > static_cast<long>(std::size(kItems))) return std::nullopt;
  return kItems[childId - 1].control;
}

}  // namespace accessible
