#include "ui/layout_table.h"

#include <array>
#include <stdexcept>

#include "logic/text_catalogue.h"

namespace layout {
namespace {

using K = Kind;
using enum Sizing;
using S = TextStyle;
using P = Picture;
using C = Control;

constexpr std::optional<TSetupPage> kHeader = std::nullopt;
constexpr const wchar_t* kCatalogue = nullptr;

constexpr std::array<TextStyleRow, 7> kStyles{{
    {0, false, kWhite},       // None
    {35, true, kWhite},       // Title
    {24, false, kWhite},      // LargeLink
    {24, true, kWhite},       // LargeBold
    {21, false, kWhite},      // Medium
    {19, false, kPageBlue},   // Button
    {11, false, 0x00000000},  // Default; no visible text uses it
}};

constexpr std::array<PictureRow, kPictureCount> kPictures{{
    {P::Photo, L"PHOTO", 849, 565},
    {P::Logo, L"LOGO", 370, 153},
    {P::Mascot, L"MASCOT", 758, 516},
    {P::FlagDe, L"FLAG_DE", 116, 70},
    {P::FlagUs, L"FLAG_US", 134, 71},
    {P::Android, L"ANDROID", 98, 120},
    {P::Windows, L"WINDOWS", 118, 118},
}};

// clang-format off
constexpr ControlRow kControls[] = {
    // header, bottom to top
    {C::imgRilo, K::Picture, kHeader, {0, 24, 681, 370}, S::None, Fixed, false, P::Photo, nullptr},
    {C::Image1, K::Picture, kHeader, {492, 24, 162, 65}, S::None, Fixed, true, P::Logo, nullptr},
    {C::imgTumo, K::Picture, kHeader, {104, 3, 465, 290}, S::None, Fixed, true, P::Mascot, nullptr},
    {C::Image2, K::Picture, kHeader, {10, 8, 31, 23}, S::None, Fixed, true, P::FlagDe, nullptr},
    {C::Image3, K::Picture, kHeader, {47, 8, 31, 23}, S::None, Fixed, true, P::FlagUs, nullptr},
    // tsh1
    {C::lblSetupTitle, K::Label, tsh1, {0, 24, 697, 42}, S::Title, Fixed, true, P::None, kCatalogue},
    {C::imgWindows, K::Picture, tsh1, {139, 137, 81, 73}, S::None, Fixed, true, P::Windows, nullptr},
    {C::imgAndroid, K::Picture, tsh1, {456, 137, 81, 73}, S::None, Fixed, true, P::Android, nullptr},
    {C::lblWindows, K::Label, tsh1, {133, 216, 95, 29}, S::LargeLink, AutoSize, true, P::None, L"Windows"},
    {C::lblAndroid, K::Label, tsh1, {460, 216, 80, 29}, S::LargeLink, AutoSize, true, P::None, L"Android"},
    {C::lblMore, K::Label, tsh1, {40, 292, 47, 25}, S::Medium, AutoSize, true, P::None, kCatalogue},
    {C::pnlExit, K::Button, tsh1, {480, 280, 185, 41}, S::Button, Fixed, true, P::None, kCatalogue},
    // tsh2
    {C::lblAndroidStep1, K::Label, tsh2, {0, 64, 690, 25}, S::Medium, Fixed, true, P::None, kCatalogue},
    {C::lblAndroidStep2, K::Label, tsh2, {0, 95, 690, 25}, S::Medium, Fixed, true, P::None, kCatalogue},
    {C::lblAndroidStep3, K::Label, tsh2, {0, 126, 690, 25}, S::Medium, Fixed, true, P::None, kCatalogue},
    {C::lblAndroidStep4, K::Label, tsh2, {0, 157, 690, 25}, S::Medium, Fixed, true, P::None, kCatalogue},
    {C::pnlBtnBack2, K::Button, tsh2, {480, 280, 185, 41}, S::Button, Fixed, true, P::None, kCatalogue},
    // tsh3
    {C::lblNoConnection, K::Label, tsh3, {0, 85, 690, 29}, S::LargeBold, Fixed, false, P::None, kCatalogue},
    {C::lblDownloadHeader, K::Label, tsh3, {0, 109, 690, 29}, S::LargeBold, Fixed, true, P::None, kCatalogue},
    {C::ProgressBar1, K::ProgressBar, tsh3, {152, 144, 385, 33}, S::None, Fixed, true, P::None, nullptr},
    {C::pnlBtnRety, K::Button, tsh3, {257, 160, 185, 41}, S::Button, Fixed, false, P::None, kCatalogue},
    {C::pnlBtnCancelDownload, K::Button, tsh3, {473, 280, 185, 41}, S::Button, Fixed, true, P::None, kCatalogue},
    // tsh4
    {C::lblMorePDF, K::Label, tsh4, {49, 45, 199, 29}, S::LargeBold, AutoSize, true, P::None, kCatalogue},
    {C::lblMorePavoWindows, K::Label, tsh4, {49, 80, 242, 25}, S::Medium, AutoSize, true, P::None, kCatalogue},
    {C::lblMorePavoAndroid, K::Label, tsh4, {49, 111, 231, 25}, S::Medium, AutoSize, true, P::None, kCatalogue},
    {C::lblMoreRilo, K::Label, tsh4, {49, 142, 167, 25}, S::Medium, AutoSize, true, P::None, kCatalogue},
    {C::lblMoreSoftware, K::Label, tsh4, {49, 213, 209, 29}, S::LargeBold, AutoSize, true, P::None, kCatalogue},
    {C::lblMoreSoftwareRilo, K::Label, tsh4, {49, 248, 167, 25}, S::Medium, AutoSize, true, P::None, kCatalogue},
    {C::pnlBtnBackOther, K::Button, tsh4, {480, 280, 185, 41}, S::Button, Fixed, true, P::None, kCatalogue},
    // tsh0
    {C::lblSetupTitle2, K::Label, tsh0, {0, 24, 697, 42}, S::Title, Fixed, true, P::None, kCatalogue},
    {C::Image6, K::Picture, tsh0, {293, 121, 81, 73}, S::None, Fixed, true, P::Windows, nullptr},
    {C::lblTumoOnlyInstall, K::Label, tsh0, {0, 208, 679, 29}, S::LargeLink, Fixed, true, P::None, kCatalogue},
    {C::PnlExitTumo, K::Button, tsh0, {480, 280, 185, 41}, S::Button, Fixed, true, P::None, kCatalogue},
    // tsh5
    {C::lblSetupRilo, K::Label, tsh5, {0, 24, 697, 42}, S::Title, Fixed, true, P::None, L"SETUP DESK WARDEN"},
    {C::imgRiloInstall, K::Picture, tsh5, {293, 121, 81, 73}, S::None, Fixed, true, P::Windows, nullptr},
    {C::lblRiloInstall, K::Label, tsh5, {0, 208, 679, 29}, S::LargeLink, Fixed, true, P::None, kCatalogue},
    {C::PnlExitRilo, K::Button, tsh5, {480, 280, 185, 41}, S::Button, Fixed, true, P::None, kCatalogue},
};
// clang-format on

static_assert(std::size(kControls) == kControlCount);

constexpr bool TableFollowsEnumOrder() {
  for (int i = 0; i < kControlCount; ++i)
    if (static_cast<int>(kControls[i].id) != i) return false;
  return true;
}
static_assert(TableFollowsEnumOrder(), "the control table is indexed by Control");

constexpr std::array<PageRow, kPageCount> kPages{{
    {tsh1, "Panel", 0},
    {tsh2, "Panel1", -3},
    {tsh3, "Panel3", 0},
    {tsh4, "Panel4", 0},
    {tsh0, "Panel2", 0},
    {tsh5, "pnlRilo", 0},
}};

}  // namespace

const TextStyleRow& StyleOf(TextStyle style) { return kStyles.at(static_cast<int>(style)); }

const PictureRow& PictureInfo(Picture picture) {
  for (const auto& p : kPictures)
    if (p.id == picture) return p;
  throw std::out_of_range("no such picture");
}

std::span<const ControlRow> Controls() { return kControls; }

const ControlRow& ControlEntry(Control c) { return kControls[static_cast<int>(c)]; }

std::wstring_view DesignedTextOf(const ControlRow& row) {
  return row.text ? row.text : GermanText(row.id);
}

std::span<const PageRow> Pages() { return kPages; }

}  // namespace layout
