#include <gtest/gtest.h>

#include <vector>

#include "logic/key_bindings.h"
#include "tests/support/fakes.h"

namespace {

using C = Control;
using K = FormKey;

// A window of one edition, brought to a page by clicks; download attempts fail at once.
struct KeySession : FormHarness {
  explicit KeySession(TSetupEdition edition, const std::vector<Control>& path = {})
      : FormHarness(edition) {
    app.onDownload = FailedAttempt;
    form.DetectLanguage();
    form.ShowStartPage();
    for (Control c : path) form.Click(c);
  }
  bool Shows(Control c) const {
    const auto it = view.visible.find(c);
    return it == view.visible.end() || it->second;
  }
  // Presses the key as the window does: the outcome's control is clicked.
  KeyOutcome Press(K key, std::optional<Control> cued = std::nullopt) {
    const KeyOutcome out = PressKey(key, Shown(), cued, [this](Control c) { return Shows(c); });
    if (out.click) form.Click(*out.click);
    return out;
  }
};

struct PageCase {
  TSetupEdition edition;
  std::vector<Control> path;
  TSetupPage page;
  bool failureState;
};

// Every page each edition reaches, the download page before and after a failed attempt.
const std::vector<PageCase> kReachable{
    {seDirectInstall, {}, tsh0, false},
    {seDirectInstall, {C::lblTumoOnlyInstall}, tsh3, true},
    {seChoosePlatform, {}, tsh1, false},
    {seChoosePlatform, {C::lblAndroid}, tsh2, false},
    {seChoosePlatform, {C::lblWindows}, tsh3, true},
    {seChoosePlatform, {C::lblMore}, tsh4, false},
    {seCompanion, {}, tsh5, false},
    {seCompanion, {C::lblRiloInstall}, tsh3, true},
};

struct Effect {
  int exits;
  int downloads;
  TSetupPage next;  // the page shown afterwards, unless the program ended
};

Effect EffectOf(KeySession& s, K key) {
  const int downloads = s.app.downloads;
  s.Press(key);
  return {s.app.exits, s.app.downloads - downloads, s.Shown()};
}

TEST(LogicKeys, EscapeIsEveryPagesWayOutAndEnterItsMainAction) {
  struct Expected {
    Effect escape;
    Effect enter;
  };
  const std::map<TSetupPage, Expected> expected{
      {tsh0, {{1, 0, tsh0}, {0, 1, tsh3}}},
      {tsh1, {{1, 0, tsh1}, {0, 1, tsh3}}},
      {tsh2, {{0, 0, tsh1}, {0, 0, tsh2}}},
      {tsh3, {{1, 0, tsh3}, {0, 1, tsh3}}},  // in the failure state: retry
      {tsh4, {{0, 0, tsh1}, {0, 0, tsh4}}},
      {tsh5, {{1, 0, tsh5}, {0, 1, tsh3}}},
  };
  for (const PageCase& c : kReachable) {
    const std::string name =
        std::string(PageName(c.page)) + " edition " + std::to_string(static_cast<int>(c.edition));
    KeySession escape(c.edition, c.path);
    ASSERT_EQ(escape.Shown(), c.page) << name;
    ASSERT_EQ(escape.view.FailureStateShown(), c.failureState) << name;
    const Effect esc = EffectOf(escape, K::Escape);
    EXPECT_EQ(esc.exits, expected.at(c.page).escape.exits) << name;
    EXPECT_EQ(esc.downloads, 0) << name;
    EXPECT_EQ(esc.next, expected.at(c.page).escape.next) << name;

    KeySession enter(c.edition, c.path);
    const Effect ent = EffectOf(enter, K::Enter);
    EXPECT_EQ(ent.exits, 0) << name;
    EXPECT_EQ(ent.downloads, expected.at(c.page).enter.downloads) << name;
    EXPECT_EQ(ent.next, expected.at(c.page).enter.next) << name;
    EXPECT_TRUE(enter.platform.opened.empty()) << name;
  }
}

TEST(LogicKeys, EnterDoesNothingWhileTheAttemptRuns) {
  KeySession s(seDirectInstall);
  s.app.onDownload = [&s](DownloadPage&) {
    s.form.ShowDownloadPage();
    // Nested in the running attempt, as the transfer pumps: retry is not shown yet.
    const KeyOutcome out = s.Press(K::Enter);
    EXPECT_FALSE(out.click);
    // The cancel key ends the program from inside the attempt, as the cancel button does.
    EXPECT_EQ(s.Press(K::Escape).click, C::pnlBtnCancelDownload);
  };
  s.Press(K::Enter);
  EXPECT_EQ(s.app.downloads, 1);
  EXPECT_EQ(s.app.exits, 1);
}

TEST(LogicKeys, TabCyclesTheShownActionsAndSpaceOrEnterRunsTheCuedOne) {
  KeySession s(seChoosePlatform, {C::lblWindows});  // tsh3 in the failure state
  const std::vector<Control> order{C::Image2, C::Image3, C::Image1, C::pnlBtnRety,
                                   C::pnlBtnCancelDownload};
  std::optional<Control> cue;
  for (std::size_t i = 0; i < 2 * order.size(); ++i) {
    const KeyOutcome out = s.Press(K::Tab, cue);
    EXPECT_FALSE(out.click);
    EXPECT_EQ(out.cue, order[i % order.size()]) << i;
    cue = out.cue;
  }
  cue.reset();
  for (std::size_t i = 0; i < order.size(); ++i) {
    cue = s.Press(K::ShiftTab, cue).cue;
    EXPECT_EQ(cue, order[order.size() - 1 - i]) << i;
  }
  EXPECT_EQ(s.Press(K::ShiftTab, order.front()).cue, order.back());
  // A cue left on a control of another page counts as none.
  EXPECT_EQ(s.Press(K::Tab, C::pnlExit).cue, order.front());
  EXPECT_FALSE(s.Press(K::Space, std::nullopt).click);

  // Space and Enter run the cued control, not the main action.
  EXPECT_EQ(s.Press(K::Space, C::Image3).click, C::Image3);
  EXPECT_EQ(s.values.UiLanguage, ulEnglish);
  EXPECT_EQ(s.Shown(), tsh1);
  EXPECT_EQ(s.Press(K::Enter, C::lblMore).click, C::lblMore);
  EXPECT_EQ(s.Shown(), tsh4);
  EXPECT_EQ(s.app.downloads, 1);

  // Before the failure the retry button is hidden, so Tab passes it by.
  KeySession running(seDirectInstall);
  running.form.ShowDownloadPage();
  EXPECT_EQ(running.Press(K::Tab, C::Image1).cue, C::pnlBtnCancelDownload);
}

}  // namespace
