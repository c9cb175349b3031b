#include "logic/text_catalogue.h"

#include <array>

namespace {

// UTF-8 source; the only non-ASCII characters are U+00E4, U+00FC and U+00DC.
// clang-format off
constexpr std::array<TextRow, 24> kRows{{
    {Control::lblSetupTitle2, L"SETUP WACHTWERK", L"SETUP WARD PILOT", {}},
    {Control::lblTumoOnlyInstall, L"Installation starten", L"Start installation", {}},
    {Control::PnlExitTumo, L"ABBRECHEN", L"EXIT", {}},
    {Control::lblSetupTitle, L"SETUP WACHTWERK", L"SETUP WARD PILOT", {}},
    {Control::lblMore, L"Mehr", L"More", {}},
    {Control::pnlExit, L"Beenden", L"EXIT", {}},
    {Control::lblAndroidStep1, L"1.) Nehmen Sie das Android Kinder-Handy/Tablet zur Hand", L"1.) Get your childs Android device", {}},
    {Control::lblAndroidStep2, L"2.) Rufen Sie dort den Google PlayStore auf", L"2.) Start the Google PlayStore app", {}},
    {Control::lblAndroidStep3, L"3.) Suchen Sie nach \"Marlek Wachtwerk\"", L"3.) Search for Marlek Ward Pilot\"", {}},
    {Control::lblAndroidStep4, L"4.) Wählen Sie Installieren", L"4.) Click Install", {}},
    {Control::pnlBtnBack2, L"ZURÜCK", L"BACK", {}},
    {Control::lblNoConnection, L"Bitte Internetverbindung prüfen!", L"Please check Internet connection!", {}},
    {Control::lblDownloadHeader, L"Download läuft, bitte warten ...", L"Download running, stand by ...", {}},
    {Control::pnlBtnRety, L"NOCHMAL", L"RETRY", {}},
    {Control::pnlBtnCancelDownload, L"ABBRECHEN", L"CANCEL", {}},
    {Control::lblMorePDF, L"Handbücher PDF", L"Manuals PDF", {}},
    {Control::lblMorePavoWindows, L"Wachtwerk Windows", L"Ward Pilot Windows", {}},
    {Control::lblMorePavoAndroid, L"Wachtwerk Android", L"Ward Pilot Android", {}},
    {Control::lblMoreRilo, L"Desk Warden 2015", L"Desk Warden 2015", {}},
    {Control::lblMoreSoftware, L"Weitere Software", L"Other Software", {}},
    {Control::lblMoreSoftwareRilo, L"Desk Warden 2015", L"Desk Warden 2015", {}},
    {Control::pnlBtnBackOther, L"ZURÜCK", L"BACK", {}},
    {Control::PnlExitRilo, {}, {}, Control::PnlExitTumo},
    {Control::lblRiloInstall, {}, {}, Control::lblTumoOnlyInstall},
}};
// clang-format on

static_assert(kRows[kGermanEarlyCopyAfterRow - 1].control == Control::lblTumoOnlyInstall);
static_assert(kRows[23].control == kGermanEarlyCopyTarget);

}  // namespace

std::span<const TextRow> TextCatalogue() { return kRows; }

std::wstring_view GermanText(Control c) {
  for (const TextRow& row : kRows)
    if (row.control == c) return row.copyOf ? GermanText(*row.copyOf) : row.german;
  return {};
}
