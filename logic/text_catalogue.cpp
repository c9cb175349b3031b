#include "logic/text_catalogue.h"

#include <array>

namespace {

// UTF-8 source; the only non-ASCII characters are U+00E4, U+00FC and U+00DC.
// clang-format off
constexpr std::array<TextRow, 24> kRows{{
    {Control::lblSetupTitle2, tsh0, L"SETUP WACHTWERK", L"SETUP WARD PILOT", {}},
    {Control::lblTumoOnlyInstall, tsh0, L"Installation starten", L"Start installation", {}},
    {Control::PnlExitTumo, tsh0, L"ABBRECHEN", L"EXIT", {}},
    {Control::lblSetupTitle, tsh1, L"SETUP WACHTWERK", L"SETUP WARD PILOT", {}},
    {Control::lblMore, tsh1, L"Mehr", L"More", {}},
    {Control::pnlExit, tsh1, L"Beenden", L"EXIT", {}},
    {Control::lblAndroidStep1, tsh2, L"1.) Nehmen Sie das Android Kinder-Handy/Tablet zur Hand", L"1.) Get your childs Android device", {}},
    {Control::lblAndroidStep2, tsh2, L"2.) Rufen Sie dort den Google PlayStore auf", L"2.) Start the Google PlayStore app", {}},
    {Control::lblAndroidStep3, tsh2, L"3.) Suchen Sie nach \"Marlek Wachtwerk\"", L"3.) Search for Marlek Ward Pilot\"", {}},
    {Control::lblAndroidStep4, tsh2, L"4.) Wählen Sie Installieren", L"4.) Click Install", {}},
    {Control::pnlBtnBack2, tsh2, L"ZURÜCK", L"BACK", {}},
    {Control::lblNoConnection, tsh3, L"Bitte Internetverbindung prüfen!", L"Please check Internet connection!", {}},
    {Control::lblDownloadHeader, tsh3, L"Download läuft, bitte warten ...", L"Download running, stand by ...", {}},
    {Control::pnlBtnRety, tsh3, L"NOCHMAL", L"RETRY", {}},
    {Control::pnlBtnCancelDownload, tsh3, L"ABBRECHEN", L"CANCEL", {}},
    {Control::lblMorePDF, tsh4, L"Handbücher PDF", L"Manuals PDF", {}},
    {Control::lblMorePavoWindows, tsh4, L"Wachtwerk Windows", L"Ward Pilot Windows", {}},
    {Control::lblMorePavoAndroid, tsh4, L"Wachtwerk Android", L"Ward Pilot Android", {}},
    {Control::lblMoreRilo, tsh4, L"Desk Warden 2015", L"Desk Warden 2015", {}},
    {Control::lblMoreSoftware, tsh4, L"Weitere Software", L"Other Software", {}},
    {Control::lblMoreSoftwareRilo, tsh4, L"Desk Warden 2015", L"Desk Warden 2015", {}},
    {Control::pnlBtnBackOther, tsh4, L"ZURÜCK", L"BACK", {}},
    {Control::PnlExitRilo, tsh5, {}, {}, Control::PnlExitTumo},
    {Control::lblRiloInstall, tsh5, {}, {}, Control::lblTumoOnlyInstall},
}};
// clang-format on

static_assert(kRows[kGermanEarlyCopyAfterRow - 1].control == Control::lblTumoOnlyInstall);
static_assert(kRows[23].control == kGermanEarlyCopyTarget);

}  // namespace

std::span<const TextRow> TextCatalogue() { return kRows; }
