#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tests/logic/transitions.h"
#include "tests/support/fakes.h"
#include "logic/setup_form.h"

namespace {

using C = Control;

const std::vector<Action> kAnyPage{C::Image1, C::Image2, C::Image3, std::nullopt};

// The clickable controls lying on each page.
const std::map<TSetupPage, std::vector<Action>> kPageClicks{
    {tsh0, {C::lblTumoOnlyInstall, C::Image6, C::PnlExitTumo}},
    {tsh1, {C::lblWindows, C::imgWindows, C::lblAndroid, C::imgAndroid, C::lblMore, C::pnlExit}},
    {tsh2, {C::pnlBtnBack2}},
    {tsh3, {C::pnlBtnRety, C::pnlBtnCancelDownload}},
    {tsh4,
     {C::lblMorePavoWindows, C::lblMorePavoAndroid, C::lblMoreRilo, C::lblMoreSoftwareRilo,
      C::pnlBtnBackOther}},
    {tsh5, {C::lblRiloInstall, C::imgRiloInstall, C::PnlExitRilo}},
};

// A window created as the program creates it; download attempts fail on the download page.
struct Session : FormHarness {
  explicit Session(TSetupEdition edition) : FormHarness(edition) {
    app.onDownload = FailedAttempt;
    platform.localeName = L"DEU";
    form.DetectLanguage();
    form.ShowStartPage();
  }
  void Do(Action action) {
    if (action)
      form.Click(*action);
    else
      form.FormClose();
  }
  void Run(const std::vector<Action>& actions) {
    for (const auto& a : actions) Do(a);
  }
};

TEST(LogicPages, StartPageAndHeaderPictureByEdition) {
  struct Case {
    TSetupEdition edition;
    TSetupPage page;
    bool companionHeader;
  };
  for (const auto c : {Case{seDirectInstall, tsh0, false}, Case{seChoosePlatform, tsh1, false},
                       Case{seCompanion, tsh5, true}}) {
    Session s(c.edition);
    EXPECT_EQ(s.Shown(), c.page);
    ASSERT_EQ(s.view.PagesShown(), std::vector<TSetupPage>{c.page});
    EXPECT_EQ(s.view.visible[Control::imgRilo], c.companionHeader);
    EXPECT_EQ(s.view.visible[Control::imgTumo], !c.companionHeader);
    if (c.companionHeader) {
      // The header is switched before the page is shown.
      const auto& events = s.view.events;
      const auto page = std::find_if(events.begin(), events.end(), [](const auto& e) {
        return std::holds_alternative<RecordingView::PageChange>(e);
      });
      EXPECT_EQ(std::count_if(events.begin(), page,
                              [](const auto& e) {
                                return std::holds_alternative<RecordingView::VisibleChange>(e);
                              }),
                2);
    }
  }
}

TEST(LogicPages, ShowingTheCurrentPageAgainChangesNothing) {
  Session s(seChoosePlatform);
  s.view.events.clear();
  s.form.ShowPage(tsh1);
  EXPECT_TRUE(s.view.events.empty());
  s.form.ShowPage(tsh2);
  s.form.ShowPage(tsh2);
  EXPECT_EQ(s.view.PagesShown(), std::vector<TSetupPage>{tsh2});
}

TEST(LogicPages, TheFirstShowingReachesTheWindowEvenForTheDefaultPage) {
  FormHarness h(seDirectInstall);
  h.form.ShowPage(tsh0);
  EXPECT_EQ(h.view.PagesShown(), std::vector<TSetupPage>{tsh0});
}

TEST(LogicPages, EveryTransition) {
  CheckEveryTransition([](TSetupEdition edition) { return std::make_unique<Session>(edition); });
}

TEST(LogicPages, ControlsWithoutAClickActionDoNothing) {
  std::set<Control> clickable;
  for (const auto& [page, actions] : kPageClicks)
    for (const auto& a : actions) clickable.insert(*a);
  for (const auto& a : kAnyPage)
    if (a) clickable.insert(*a);
  ASSERT_EQ(clickable.size(), 23u);
  for (int i = 0; i < kControlCount; ++i) {
    const auto c = static_cast<Control>(i);
    if (clickable.count(c)) continue;
    Session s(seChoosePlatform);
    s.view.events.clear();
    EXPECT_FALSE(s.form.Click(c)) << ControlName(c);
    EXPECT_TRUE(s.view.events.empty()) << ControlName(c);
    EXPECT_EQ(s.app.downloads + s.app.exits, 0) << ControlName(c);
    EXPECT_TRUE(s.platform.opened.empty()) << ControlName(c);
  }
}

TEST(LogicPages, BackButtonsShowThePlatformChoiceInEveryEdition) {
  for (const auto edition : {seDirectInstall, seCompanion}) {
    Session s(edition);
    s.form.pnlBtnBack2Click();
    EXPECT_EQ(s.Shown(), tsh1);
    s.form.ShowPage(tsh4);
    s.form.pnlBtnBackOtherClick();
    EXPECT_EQ(s.Shown(), tsh1);
  }
}

std::set<TSetupPage> ReachablePages(TSetupEdition edition) {
  std::map<TSetupPage, std::vector<Action>> pathTo;
  {
    Session s(edition);
    pathTo[s.Shown()] = {};
  }
  std::vector<TSetupPage> todo{pathTo.begin()->first};
  while (!todo.empty()) {
    const auto page = todo.back();
    todo.pop_back();
    auto clicks = kPageClicks.at(page);
    clicks.insert(clicks.end(), kAnyPage.begin(), kAnyPage.end());
    for (const auto& click : clicks) {
      Session s(edition);
      s.Run(pathTo[page]);
      EXPECT_EQ(s.Shown(), page);
      s.Do(click);
      if (s.app.exits > 0 || pathTo.count(s.Shown())) continue;
      auto path = pathTo[page];
      path.push_back(click);
      pathTo[s.Shown()] = path;
      todo.push_back(s.Shown());
    }
  }
  std::set<TSetupPage> pages;
  for (const auto& [page, path] : pathTo) pages.insert(page);
  return pages;
}

TEST(LogicPages, ReachablePagesByEdition) {
  EXPECT_EQ(ReachablePages(seDirectInstall), (std::set<TSetupPage>{tsh0, tsh3}));
  EXPECT_EQ(ReachablePages(seChoosePlatform), (std::set<TSetupPage>{tsh1, tsh2, tsh3, tsh4}));
  EXPECT_EQ(ReachablePages(seCompanion), (std::set<TSetupPage>{tsh3, tsh5}));
}

TEST(LogicPages, FlagStepOnEveryPageAndEdition) {
  struct Case {
    TSetupEdition edition;
    std::vector<Action> path;
    TSetupPage from;
  };
  const std::vector<Case> cases{
      {seDirectInstall, {}, tsh0},
      {seDirectInstall, {C::lblTumoOnlyInstall}, tsh3},
      {seChoosePlatform, {}, tsh1},
      {seChoosePlatform, {C::lblAndroid}, tsh2},
      {seChoosePlatform, {C::lblWindows}, tsh3},
      {seChoosePlatform, {C::lblMore}, tsh4},
      {seCompanion, {}, tsh5},
      {seCompanion, {C::lblRiloInstall}, tsh3},
  };
  const std::map<TSetupEdition, std::optional<TSetupPage>> after{
      {seDirectInstall, tsh0}, {seChoosePlatform, tsh1}, {seCompanion, std::nullopt}};
  for (const auto& c : cases) {
    for (const auto flag : {C::Image3, C::Image2}) {
      Session s(c.edition);
      s.Run(c.path);
      ASSERT_EQ(s.Shown(), c.from);
      s.form.Click(flag);
      const auto expected = after.at(c.edition).value_or(c.from);
      EXPECT_EQ(s.Shown(), expected) << c.edition << " " << PageName(c.from);
      EXPECT_EQ(s.values.UiLanguage, flag == C::Image3 ? ulEnglish : ulGerman);
      EXPECT_EQ(s.app.downloads, static_cast<int>(c.path.size() == 1 && c.from == tsh3));
    }
  }
}

TEST(LogicPages, FlagDuringADownloadAttempt) {
  struct Case {
    TSetupEdition edition;
    Control install;
    TSetupPage during;
  };
  for (const auto c :
       {Case{seDirectInstall, C::lblTumoOnlyInstall, tsh0},
        Case{seChoosePlatform, C::imgWindows, tsh1}, Case{seCompanion, C::imgRiloInstall, tsh3}}) {
    Session s(c.edition);
    std::optional<TSetupPage> pageAfterFlag;
    s.app.onDownload = [&](DownloadPage&) {
      s.form.ShowDownloadPage();
      s.form.Progress().SetProgressMax(5000);
      s.form.Image3Click();
      pageAfterFlag = s.Shown();
      // The attempt goes on and reports on tsh3 whatever page is shown.
      s.form.Progress().SetProgressPosition(1200);
      s.form.ShowConnectionError();
    };
    s.form.Click(c.install);
    ASSERT_TRUE(pageAfterFlag.has_value());
    EXPECT_EQ(*pageAfterFlag, c.during) << c.edition;
    EXPECT_EQ(s.Shown(), c.during);
    EXPECT_EQ(s.view.progressMax, 5000);
    EXPECT_EQ(s.view.progressPosition, 1200);
    EXPECT_TRUE(s.view.FailureStateShown());
    EXPECT_EQ(s.view.GetText(Control::lblNoConnection), L"Please check Internet connection!");
    EXPECT_EQ(s.view.GetText(Control::pnlBtnRety), L"RETRY");
  }
}

// The failure state holds across the flags; a new attempt, from a start page or by retry, shows
// the page running again, and its failure shows the failure state again.
TEST(LogicPages, FailureStateHoldsAcrossAFlagAndANewAttemptShowsThePageRunning) {
  for (const auto edition : {seDirectInstall, seCompanion}) {
    Session s(edition);
    s.form.lblWindowsClick();
    ASSERT_TRUE(s.view.FailureStateShown());
    s.form.Image3Click();
    s.form.Image2Click();
    EXPECT_TRUE(s.view.FailureStateShown());
    bool runningShown = false;
    s.app.onDownload = [&](DownloadPage& page) {
      page.ShowDownloadPage();
      runningShown = s.view.visible.at(Control::lblDownloadHeader) &&
                     s.view.visible.at(Control::ProgressBar1) &&
                     !s.view.visible.at(Control::lblNoConnection) &&
                     !s.view.visible.at(Control::pnlBtnRety);
      page.ShowConnectionError();
    };
    if (edition == seCompanion)
      s.form.lblRiloInstallClick();
    else
      s.form.lblWindowsClick();
    EXPECT_EQ(s.view.shownPage, tsh3);
    EXPECT_TRUE(runningShown);
    EXPECT_TRUE(s.view.FailureStateShown());
    runningShown = false;
    s.form.pnlBtnRetyClick();
    EXPECT_TRUE(runningShown);
    EXPECT_TRUE(s.view.FailureStateShown());
    EXPECT_EQ(s.app.downloads, 3);
  }
}

TEST(LogicPages, ClosingOrCancellingDuringAnAttemptEndsTheProgram) {
  for (const Action close : {Action{}, Action{C::pnlBtnCancelDownload}}) {
    Session s(seDirectInstall);
    s.app.onDownload = [&](DownloadPage&) {
      s.form.ShowDownloadPage();
      s.Do(close);
    };
    s.form.Click(C::lblTumoOnlyInstall);
    EXPECT_EQ(s.app.exits, 1);
    EXPECT_EQ(s.Shown(), tsh3);
  }
}

TEST(LogicPages, LanguageHoldsAcrossPageChanges) {
  Session s(seChoosePlatform);
  s.form.Image3Click();
  s.view.events.clear();
  s.form.lblAndroidClick();
  s.form.pnlBtnBack2Click();
  s.form.lblMoreClick();
  EXPECT_TRUE(s.view.TextWrites().empty());
  EXPECT_EQ(s.view.GetText(Control::lblAndroidStep4), L"4.) Click Install");
  EXPECT_EQ(s.view.GetText(Control::lblMorePDF), L"Manuals PDF");
  EXPECT_EQ(s.values.UiLanguage, ulEnglish);
}

}  // namespace
