#include "logic/reading_order.h"

#include <algorithm>

namespace {

using C = Control;
using R = ReadingRole;

// On tsh1 "More" and the exit button share a line.
constexpr ReadingItem kOrder[] = {
    {C::Image2, R::Button, {}},
    {C::Image3, R::Button, {}},
    {C::Image1, R::Link, {}},
    {C::lblSetupTitle2, R::Text, tsh0},
    {C::lblTumoOnlyInstall, R::Link, tsh0},
    {C::PnlExitTumo, R::Button, tsh0},
    {C::lblSetupTitle, R::Text, tsh1},
    {C::lblWindows, R::Link, tsh1},
    {C::lblAndroid, R::Link, tsh1},
    {C::lblMore, R::Link, tsh1},
    {C::pnlExit, R::Button, tsh1},
    {C::lblAndroidStep1, R::Text, tsh2},
    {C::lblAndroidStep2, R::Text, tsh2},
    {C::lblAndroidStep3, R::Text, tsh2},
    {C::lblAndroidStep4, R::Text, tsh2},
    {C::pnlBtnBack2, R::Button, tsh2},
    {C::lblNoConnection, R::Text, tsh3},
    {C::lblDownloadHeader, R::Text, tsh3},
    {C::ProgressBar1, R::ProgressBar, tsh3},
    {C::pnlBtnRety, R::Button, tsh3},
    {C::pnlBtnCancelDownload, R::Button, tsh3},
    {C::lblMorePDF, R::Text, tsh4},
    {C::lblMorePavoWindows, R::Link, tsh4},
    {C::lblMorePavoAndroid, R::Link, tsh4},
    {C::lblMoreRilo, R::Link, tsh4},
    {C::lblMoreSoftware, R::Text, tsh4},
    {C::lblMoreSoftwareRilo, R::Link, tsh4},
    {C::pnlBtnBackOther, R::Button, tsh4},
    {C::lblSetupRilo, R::Text, tsh5},
    {C::lblRiloInstall, R::Link, tsh5},
    {C::PnlExitRilo, R::Button, tsh5},
};

}  // namespace

std::span<const ReadingItem> ReadingOrder() { return kOrder; }

const ReadingItem* FindReading(Control c) {
  const auto it = std::find_if(std::begin(kOrder), std::end(kOrder),
                               [c](const ReadingItem& item) { return item.control == c; });
  return it == std::end(kOrder) ? nullptr : it;
}

std::vector<Control> CueOrder(TSetupPage page) {
  std::vector<Control> order;
  for (const ReadingItem& item : kOrder)
    if ((!item.page || item.page == page) && (item.role == R::Link || item.role == R::Button))
      order.push_back(item.control);
  return order;
}
