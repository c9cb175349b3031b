#include <gtest/gtest.h>

#include <set>

#include "tests/support/fakes.h"
#include "logic/setup_form.h"

namespace {

std::vector<Control> WrittenControls(const RecordingView& view) {
  std::vector<Control> out;
  for (const auto& w : view.TextWrites()) out.push_back(w.control);
  return out;
}

const std::vector<Control> kCatalogueOrder{
    Control::lblSetupTitle2,
    Control::lblTumoOnlyInstall,
    Control::PnlExitTumo,
    Control::lblSetupTitle,
    Control::lblMore,
    Control::pnlExit,
    Control::lblAndroidStep1,
    Control::lblAndroidStep2,
    Control::lblAndroidStep3,
    Control::lblAndroidStep4,
    Control::pnlBtnBack2,
    Control::lblNoConnection,
    Control::lblDownloadHeader,
    Control::pnlBtnRety,
    Control::pnlBtnCancelDownload,
    Control::lblMorePDF,
    Control::lblMorePavoWindows,
    Control::lblMorePavoAndroid,
    Control::lblMoreRilo,
    Control::lblMoreSoftware,
    Control::lblMoreSoftwareRilo,
    Control::pnlBtnBackOther,
    Control::PnlExitRilo,
    Control::lblRiloInstall,
};

TEST(LogicTexts, EnglishWritesTheTwentyFourRowsInOrder) {
  FormHarness h(seDirectInstall);
  h.values.UiLanguage = ulGerman;
  h.form.ApplyLanguage(ulEnglish);
  EXPECT_EQ(WrittenControls(h.view), kCatalogueOrder);
  // The language is set before the first text is written.
  EXPECT_EQ(h.view.languageAtWrite, std::vector<TUiLanguage>(24, ulEnglish));
}

TEST(LogicTexts, GermanAddsTheEarlyInstallCopyRightAfterRowTwo) {
  FormHarness h(seDirectInstall);
  h.form.ApplyLanguage(ulGerman);
  auto expected = kCatalogueOrder;
  expected.insert(expected.begin() + 2, Control::lblRiloInstall);
  EXPECT_EQ(WrittenControls(h.view), expected);
  const auto writes = h.view.TextWrites();
  EXPECT_EQ(writes[2].text, L"Installation starten");
}

struct ExpectedText {
  Control control;
  const wchar_t* german;
  const wchar_t* english;
};

// Every row as the catalogue gives it, the two copied rows with the text they copy.
const ExpectedText kTexts[] = {
    {Control::lblSetupTitle2, L"SETUP WACHTWERK", L"SETUP WARD PILOT"},
    {Control::lblTumoOnlyInstall, L"Installation starten", L"Start installation"},
    {Control::PnlExitTumo, L"ABBRECHEN", L"EXIT"},
    {Control::lblSetupTitle, L"SETUP WACHTWERK", L"SETUP WARD PILOT"},
    {Control::lblMore, L"Mehr", L"More"},
    {Control::pnlExit, L"Beenden", L"EXIT"},
    {Control::lblAndroidStep1, L"1.) Nehmen Sie das Android Kinder-Handy/Tablet zur Hand",
     L"1.) Get your childs Android device"},
    {Control::lblAndroidStep2, L"2.) Rufen Sie dort den Google PlayStore auf",
     L"2.) Start the Google PlayStore app"},
    {Control::lblAndroidStep3, L"3.) Suchen Sie nach \"Marlek Wachtwerk\"",
     L"3.) Search for Marlek Ward Pilot\""},
    {Control::lblAndroidStep4, L"4.) W\u00e4hlen Sie Installieren", L"4.) Click Install"},
    {Control::pnlBtnBack2, L"ZUR\u00dcCK", L"BACK"},
    {Control::lblNoConnection, L"Bitte Internetverbindung pr\u00fcfen!",
     L"Please check Internet connection!"},
    {Control::lblDownloadHeader, L"Download l\u00e4uft, bitte warten ...",
     L"Download running, stand by ..."},
    {Control::pnlBtnRety, L"NOCHMAL", L"RETRY"},
    {Control::pnlBtnCancelDownload, L"ABBRECHEN", L"CANCEL"},
    {Control::lblMorePDF, L"Handb\u00fccher PDF", L"Manuals PDF"},
    {Control::lblMorePavoWindows, L"Wachtwerk Windows", L"Ward Pilot Windows"},
    {Control::lblMorePavoAndroid, L"Wachtwerk Android", L"Ward Pilot Android"},
    {Control::lblMoreRilo, L"Desk Warden 2015", L"Desk Warden 2015"},
    {Control::lblMoreSoftware, L"Weitere Software", L"Other Software"},
    {Control::lblMoreSoftwareRilo, L"Desk Warden 2015", L"Desk Warden 2015"},
    {Control::pnlBtnBackOther, L"ZUR\u00dcCK", L"BACK"},
    {Control::PnlExitRilo, L"ABBRECHEN", L"EXIT"},
    {Control::lblRiloInstall, L"Installation starten", L"Start installation"},
};

// Through the flags, as the user switches: German, English, German.
TEST(LogicTexts, EveryControlHoldsItsCatalogueTextInBothLanguages) {
  FormHarness h(seCompanion);
  for (const auto& [click, language] :
       {std::pair{&SetupForm::Image2Click, ulGerman}, std::pair{&SetupForm::Image3Click, ulEnglish},
        std::pair{&SetupForm::Image2Click, ulGerman}}) {
    (h.form.*click)();
    EXPECT_EQ(h.values.UiLanguage, language);
    for (const auto& row : kTexts)
      EXPECT_EQ(h.view.GetText(row.control), language == ulGerman ? row.german : row.english)
          << ControlName(row.control) << " in language " << language;
  }
}

TEST(LogicTexts, GermanEnglishGermanGivesTheFirstPassAgain) {
  FormHarness h(seChoosePlatform);
  h.form.ApplyLanguage(ulGerman);
  const auto firstTexts = h.view.texts;
  const auto firstWrites = h.view.TextWrites().size();
  h.form.ApplyLanguage(ulEnglish);
  EXPECT_NE(h.view.texts, firstTexts);
  h.view.events.clear();
  h.form.ApplyLanguage(ulGerman);
  EXPECT_EQ(h.view.texts, firstTexts);
  // Every row is written again, also when the text is already shown.
  EXPECT_EQ(h.view.TextWrites().size(), firstWrites);
}

TEST(LogicTexts, ApplyingTheLanguageShownRewritesWithoutChangingAnything) {
  FormHarness h(seDirectInstall);
  h.form.ApplyLanguage(ulEnglish);
  const auto before = h.view.texts;
  h.view.events.clear();
  h.form.ApplyLanguage(ulEnglish);
  EXPECT_EQ(h.view.texts, before);
  EXPECT_EQ(h.view.TextWrites().size(), 24u);
  EXPECT_TRUE(h.view.PagesShown().empty());
}

TEST(LogicTexts, TextsOutsideTheCatalogueAreNeverWritten) {
  FormHarness h(seChoosePlatform);
  h.view.texts[Control::lblWindows] = L"Windows";
  h.view.texts[Control::lblAndroid] = L"Android";
  h.view.texts[Control::lblSetupRilo] = L"SETUP DESK WARDEN";
  h.form.DetectLanguage();
  h.form.Image2Click();
  h.form.Image3Click();
  for (const auto& w : h.view.TextWrites()) {
    EXPECT_NE(w.control, Control::lblWindows);
    EXPECT_NE(w.control, Control::lblAndroid);
    EXPECT_NE(w.control, Control::lblSetupRilo);
  }
  EXPECT_EQ(h.view.GetText(Control::lblSetupRilo), L"SETUP DESK WARDEN");
}

TEST(LogicNames, ControlAndPageNamesAreTheWindowNames) {
  std::set<std::string_view> names;
  for (int i = 0; i < kControlCount; ++i) {
    const auto name = ControlName(static_cast<Control>(i));
    EXPECT_FALSE(name.empty());
    names.insert(name);
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kControlCount));
  EXPECT_EQ(ControlName(Control::pnlBtnRety), "pnlBtnRety");
  EXPECT_EQ(ControlName(Control::PnlExitRilo), "PnlExitRilo");
  EXPECT_EQ(ControlName(Control::Image6), "Image6");
  EXPECT_EQ(PageName(tsh0), "tsh0");
  EXPECT_EQ(PageName(tsh5), "tsh5");
  EXPECT_TRUE(PageName(static_cast<TSetupPage>(6)).empty());
}

}  // namespace
