#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tests/logic/fakes.h"
#include "logic/setup_form.h"

namespace {

using Handler = void (SetupForm::*)();

struct Click {
  const char* name;
  Handler handler;
};

const std::vector<Click> kAnyPage{{"Image1Click", &SetupForm::Image1Click},
                                  {"Image2Click", &SetupForm::Image2Click},
                                  {"Image3Click", &SetupForm::Image3Click},
                                  {"FormClose", &SetupForm::FormClose}};

// Which handlers the controls of each page are bound to.
const std::map<TSetupPage, std::vector<Click>> kPageClicks{
    {tsh0,
     {{"lblWindowsClick", &SetupForm::lblWindowsClick},
      {"imgWindowsClick", &SetupForm::imgWindowsClick},
      {"pnlExitClick", &SetupForm::pnlExitClick}}},
    {tsh1,
     {{"lblWindowsClick", &SetupForm::lblWindowsClick},
      {"imgWindowsClick", &SetupForm::imgWindowsClick},
      {"lblAndroidClick", &SetupForm::lblAndroidClick},
      {"imgAndroidClick", &SetupForm::imgAndroidClick},
      {"lblMoreClick", &SetupForm::lblMoreClick},
      {"pnlExitClick", &SetupForm::pnlExitClick}}},
    {tsh2, {{"pnlBtnBack2Click", &SetupForm::pnlBtnBack2Click}}},
    {tsh3,
     {{"pnlBtnRetyClick", &SetupForm::pnlBtnRetyClick},
      {"pnlExitClick", &SetupForm::pnlExitClick}}},
    {tsh4,
     {{"lblMorePavoWindowsClick", &SetupForm::lblMorePavoWindowsClick},
      {"lblMorePavoAndroidClick", &SetupForm::lblMorePavoAndroidClick},
      {"lblMoreRiloClick", &SetupForm::lblMoreRiloClick},
      {"lblMoreSoftwareRiloClick", &SetupForm::lblMoreSoftwareRiloClick},
      {"pnlBtnBackOtherClick", &SetupForm::pnlBtnBackOtherClick}}},
    {tsh5,
     {{"lblRiloInstallClick", &SetupForm::lblRiloInstallClick},
      {"imgRiloInstallClick", &SetupForm::imgRiloInstallClick},
      {"pnlExitClick", &SetupForm::pnlExitClick}}},
};

// A window created as the program creates it; download attempts fail on the download page.
struct Session {
  explicit Session(TSetupEdition edition) : scope(edition) {
    app.onDownload = [this] {
      form.ShowDownloadPage();
      form.ShowConnectionError();
    };
    platform.localeName = L"DEU";
    form.DetectLanguage();
    form.ShowStartPage();
  }
  void Run(const std::vector<Handler>& clicks) {
    for (const auto h : clicks) (form.*h)();
  }
  EditionScope scope;
  RecordingView view;
  FakePlatform platform;
  FakeApp app;
  SetupForm form{view, platform, app};
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
    EXPECT_EQ(s.form.ActivePage(), c.page);
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
  EditionScope scope(seDirectInstall);
  RecordingView view;
  FakePlatform platform;
  FakeApp app;
  SetupForm form(view, platform, app);
  form.ShowPage(tsh0);
  EXPECT_EQ(view.PagesShown(), std::vector<TSetupPage>{tsh0});
}

struct Transition {
  TSetupEdition edition;
  std::vector<Handler> path;
  Handler click;
  const char* name;
  TSetupPage next;
  int exits;
  int downloads;
  int opened;
};

TEST(LogicPages, EveryTransition) {
  const auto more = &SetupForm::lblMoreClick;
  const auto android = &SetupForm::lblAndroidClick;
  const auto install = &SetupForm::lblWindowsClick;
  const std::vector<Transition> table{
      {seDirectInstall, {}, &SetupForm::lblWindowsClick, "tsh0 lblTumoOnlyInstall", tsh3, 0, 1, 0},
      {seDirectInstall, {}, &SetupForm::imgWindowsClick, "tsh0 Image6", tsh3, 0, 1, 0},
      {seDirectInstall, {}, &SetupForm::pnlExitClick, "tsh0 PnlExitTumo", tsh0, 1, 0, 0},
      {seDirectInstall, {}, &SetupForm::Image1Click, "tsh0 Image1", tsh0, 0, 0, 1},
      {seDirectInstall, {}, &SetupForm::FormClose, "tsh0 close", tsh0, 1, 0, 0},
      {seChoosePlatform, {}, &SetupForm::lblWindowsClick, "tsh1 lblWindows", tsh3, 0, 1, 0},
      {seChoosePlatform, {}, &SetupForm::imgWindowsClick, "tsh1 imgWindows", tsh3, 0, 1, 0},
      {seChoosePlatform, {}, &SetupForm::lblAndroidClick, "tsh1 lblAndroid", tsh2, 0, 0, 0},
      {seChoosePlatform, {}, &SetupForm::imgAndroidClick, "tsh1 imgAndroid", tsh2, 0, 0, 0},
      {seChoosePlatform, {}, &SetupForm::lblMoreClick, "tsh1 lblMore", tsh4, 0, 0, 0},
      {seChoosePlatform, {}, &SetupForm::pnlExitClick, "tsh1 pnlExit", tsh1, 1, 0, 0},
      {seChoosePlatform, {android}, &SetupForm::pnlBtnBack2Click, "tsh2 back", tsh1, 0, 0, 0},
      {seChoosePlatform, {android}, &SetupForm::Image1Click, "tsh2 Image1", tsh2, 0, 0, 1},
      {seChoosePlatform, {install}, &SetupForm::pnlBtnRetyClick, "tsh3 retry", tsh3, 0, 1, 0},
      {seChoosePlatform, {install}, &SetupForm::pnlExitClick, "tsh3 cancel", tsh3, 1, 0, 0},
      {seChoosePlatform, {install}, &SetupForm::FormClose, "tsh3 close", tsh3, 1, 0, 0},
      {seChoosePlatform, {more}, &SetupForm::lblMorePavoWindowsClick, "tsh4 manual", tsh4, 0, 0, 1},
      {seChoosePlatform, {more}, &SetupForm::lblMorePavoAndroidClick, "tsh4 manual", tsh4, 0, 0, 1},
      {seChoosePlatform, {more}, &SetupForm::lblMoreRiloClick, "tsh4 manual", tsh4, 0, 0, 1},
      {seChoosePlatform,
       {more},
       &SetupForm::lblMoreSoftwareRiloClick,
       "tsh4 program",
       tsh4,
       1,
       0,
       1},
      {seChoosePlatform, {more}, &SetupForm::pnlBtnBackOtherClick, "tsh4 back", tsh1, 0, 0, 0},
      {seCompanion, {}, &SetupForm::lblRiloInstallClick, "tsh5 lblRiloInstall", tsh3, 0, 1, 0},
      {seCompanion, {}, &SetupForm::imgRiloInstallClick, "tsh5 imgRiloInstall", tsh3, 0, 1, 0},
      {seCompanion, {}, &SetupForm::pnlExitClick, "tsh5 PnlExitRilo", tsh5, 1, 0, 0},
      {seCompanion, {}, &SetupForm::FormClose, "tsh5 close", tsh5, 1, 0, 0},
  };
  for (const auto& t : table) {
    Session s(t.edition);
    s.Run(t.path);
    const int downloadsBefore = s.app.downloads;
    (s.form.*t.click)();
    EXPECT_EQ(s.form.ActivePage(), t.next) << t.name;
    EXPECT_EQ(s.view.shownPage, t.next) << t.name;
    EXPECT_EQ(s.app.exits, t.exits) << t.name;
    EXPECT_EQ(s.app.downloads - downloadsBefore, t.downloads) << t.name;
    EXPECT_EQ(s.platform.opened.size(), static_cast<std::size_t>(t.opened)) << t.name;
    EXPECT_EQ(s.app.terminates, 0) << t.name;
  }
}

TEST(LogicPages, BackButtonsShowThePlatformChoiceInEveryEdition) {
  for (const auto edition : {seDirectInstall, seCompanion}) {
    Session s(edition);
    s.form.pnlBtnBack2Click();
    EXPECT_EQ(s.form.ActivePage(), tsh1);
    s.form.ShowPage(tsh4);
    s.form.pnlBtnBackOtherClick();
    EXPECT_EQ(s.form.ActivePage(), tsh1);
  }
}

std::set<TSetupPage> ReachablePages(TSetupEdition edition) {
  std::map<TSetupPage, std::vector<Handler>> pathTo;
  {
    Session s(edition);
    pathTo[s.form.ActivePage()] = {};
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
      EXPECT_EQ(s.form.ActivePage(), page);
      (s.form.*click.handler)();
      if (s.app.exits > 0 || pathTo.count(s.form.ActivePage())) continue;
      auto path = pathTo[page];
      path.push_back(click.handler);
      pathTo[s.form.ActivePage()] = path;
      todo.push_back(s.form.ActivePage());
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
    std::vector<Handler> path;
    TSetupPage from;
  };
  const auto install = &SetupForm::lblWindowsClick;
  const std::vector<Case> cases{
      {seDirectInstall, {}, tsh0},
      {seDirectInstall, {install}, tsh3},
      {seChoosePlatform, {}, tsh1},
      {seChoosePlatform, {&SetupForm::lblAndroidClick}, tsh2},
      {seChoosePlatform, {install}, tsh3},
      {seChoosePlatform, {&SetupForm::lblMoreClick}, tsh4},
      {seCompanion, {}, tsh5},
      {seCompanion, {&SetupForm::lblRiloInstallClick}, tsh3},
  };
  const std::map<TSetupEdition, std::optional<TSetupPage>> after{
      {seDirectInstall, tsh0}, {seChoosePlatform, tsh1}, {seCompanion, std::nullopt}};
  for (const auto& c : cases) {
    for (const auto flag : {&SetupForm::Image3Click, &SetupForm::Image2Click}) {
      Session s(c.edition);
      s.Run(c.path);
      ASSERT_EQ(s.form.ActivePage(), c.from);
      (s.form.*flag)();
      const auto expected = after.at(c.edition).value_or(c.from);
      EXPECT_EQ(s.form.ActivePage(), expected) << c.edition << " " << PageName(c.from);
      EXPECT_EQ(s.view.shownPage, expected);
      EXPECT_EQ(UiLanguage, flag == &SetupForm::Image3Click ? ulEnglish : ulGerman);
      EXPECT_EQ(s.app.downloads, static_cast<int>(c.path.size() == 1 && c.from == tsh3));
    }
  }
}

TEST(LogicPages, FlagDuringADownloadAttempt) {
  struct Case {
    TSetupEdition edition;
    Handler install;
    TSetupPage during;
  };
  for (const auto c : {Case{seDirectInstall, &SetupForm::lblWindowsClick, tsh0},
                       Case{seChoosePlatform, &SetupForm::imgWindowsClick, tsh1},
                       Case{seCompanion, &SetupForm::imgRiloInstallClick, tsh3}}) {
    Session s(c.edition);
    std::optional<TSetupPage> pageAfterFlag;
    s.app.onDownload = [&] {
      s.form.ShowDownloadPage();
      s.form.SetProgressMax(5000);
      s.form.Image3Click();
      pageAfterFlag = s.form.ActivePage();
      // The attempt goes on and reports on tsh3 whatever page is shown.
      s.form.SetProgressPosition(1200);
      s.form.ShowConnectionError();
    };
    (s.form.*c.install)();
    ASSERT_TRUE(pageAfterFlag.has_value());
    EXPECT_EQ(*pageAfterFlag, c.during) << c.edition;
    EXPECT_EQ(s.form.ActivePage(), c.during);
    EXPECT_EQ(s.view.shownPage, c.during);
    EXPECT_EQ(s.view.progressMax, 5000);
    EXPECT_EQ(s.view.progressPosition, 1200);
    EXPECT_TRUE(s.view.FailureStateShown());
    EXPECT_EQ(s.view.GetText(Control::lblNoConnection), L"Please check Internet connection!");
    EXPECT_EQ(s.view.GetText(Control::pnlBtnRety), L"RETRY");
  }
}

TEST(LogicPages, FailureStateHoldsAcrossAFlagAndANewInstallAction) {
  for (const auto edition : {seDirectInstall, seCompanion}) {
    Session s(edition);
    s.form.lblWindowsClick();
    ASSERT_TRUE(s.view.FailureStateShown());
    s.form.Image3Click();
    s.form.Image2Click();
    EXPECT_TRUE(s.view.FailureStateShown());
    s.app.onDownload = [&] { s.form.ShowDownloadPage(); };
    if (edition == seCompanion)
      s.form.lblRiloInstallClick();
    else
      s.form.lblWindowsClick();
    EXPECT_EQ(s.view.shownPage, tsh3);
    EXPECT_TRUE(s.view.FailureStateShown());
    s.form.pnlBtnRetyClick();
    EXPECT_TRUE(s.view.FailureStateShown());
    EXPECT_EQ(s.app.downloads, 3);
  }
}

TEST(LogicPages, ClosingOrCancellingDuringAnAttemptEndsTheProgram) {
  for (const auto close : {&SetupForm::FormClose, &SetupForm::pnlExitClick}) {
    Session s(seDirectInstall);
    s.app.onDownload = [&] {
      s.form.ShowDownloadPage();
      (s.form.*close)();
    };
    s.form.lblWindowsClick();
    EXPECT_EQ(s.app.exits, 1);
    EXPECT_EQ(s.form.ActivePage(), tsh3);
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
  EXPECT_EQ(UiLanguage, ulEnglish);
}

}  // namespace
