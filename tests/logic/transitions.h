#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "logic/controls.h"
#include "logic/edition.h"
#include "logic/pages.h"

// One thing the user does: click a control, or close the window (no control).
using Action = std::optional<Control>;

// Where each click of each page leads, from a fresh window of the edition after the path.
struct Transition {
  TSetupEdition edition;
  std::vector<Action> path;
  Action click;
  const char* name;
  TSetupPage next;
  int exits;
  int downloads;
  int opened;
};

inline const std::vector<Transition>& Transitions() {
  using C = Control;
  const Action more = C::lblMore, android = C::lblAndroid, install = C::lblWindows;
  const Action close = std::nullopt;
  static const std::vector<Transition> table{
      {seDirectInstall, {}, C::lblTumoOnlyInstall, "tsh0 lblTumoOnlyInstall", tsh3, 0, 1, 0},
      {seDirectInstall, {}, C::Image6, "tsh0 Image6", tsh3, 0, 1, 0},
      {seDirectInstall, {}, C::PnlExitTumo, "tsh0 PnlExitTumo", tsh0, 1, 0, 0},
      {seDirectInstall, {}, C::Image1, "tsh0 Image1", tsh0, 0, 0, 1},
      {seDirectInstall, {}, close, "tsh0 close", tsh0, 1, 0, 0},
      {seChoosePlatform, {}, C::lblWindows, "tsh1 lblWindows", tsh3, 0, 1, 0},
      {seChoosePlatform, {}, C::imgWindows, "tsh1 imgWindows", tsh3, 0, 1, 0},
      {seChoosePlatform, {}, C::lblAndroid, "tsh1 lblAndroid", tsh2, 0, 0, 0},
      {seChoosePlatform, {}, C::imgAndroid, "tsh1 imgAndroid", tsh2, 0, 0, 0},
      {seChoosePlatform, {}, C::lblMore, "tsh1 lblMore", tsh4, 0, 0, 0},
      {seChoosePlatform, {}, C::pnlExit, "tsh1 pnlExit", tsh1, 1, 0, 0},
      {seChoosePlatform, {android}, C::pnlBtnBack2, "tsh2 back", tsh1, 0, 0, 0},
      {seChoosePlatform, {android}, C::Image1, "tsh2 Image1", tsh2, 0, 0, 1},
      {seChoosePlatform, {install}, C::pnlBtnRety, "tsh3 retry", tsh3, 0, 1, 0},
      {seChoosePlatform, {install}, C::pnlBtnCancelDownload, "tsh3 cancel", tsh3, 1, 0, 0},
      {seChoosePlatform, {install}, close, "tsh3 close", tsh3, 1, 0, 0},
      {seChoosePlatform, {more}, C::lblMorePavoWindows, "tsh4 manual", tsh4, 0, 0, 1},
      {seChoosePlatform, {more}, C::lblMorePavoAndroid, "tsh4 manual", tsh4, 0, 0, 1},
      {seChoosePlatform, {more}, C::lblMoreRilo, "tsh4 manual", tsh4, 0, 0, 1},
      {seChoosePlatform, {more}, C::lblMoreSoftwareRilo, "tsh4 program", tsh4, 1, 0, 1},
      {seChoosePlatform, {more}, C::pnlBtnBackOther, "tsh4 back", tsh1, 0, 0, 0},
      {seCompanion, {}, C::lblRiloInstall, "tsh5 lblRiloInstall", tsh3, 0, 1, 0},
      {seCompanion, {}, C::imgRiloInstall, "tsh5 imgRiloInstall", tsh3, 0, 1, 0},
      {seCompanion, {}, C::PnlExitRilo, "tsh5 PnlExitRilo", tsh5, 1, 0, 0},
      {seCompanion, {}, close, "tsh5 close", tsh5, 1, 0, 0},
  };
  return table;
}

// Runs every transition in a session made by make(edition): Do(action), Shown(), app and
// platform; each link opens a target of its own.
template <typename MakeSession>
void CheckEveryTransition(MakeSession make) {
  std::map<std::wstring, Control> openedBy;
  for (const auto& t : Transitions()) {
    auto s = make(t.edition);
    for (const auto& a : t.path) s->Do(a);
    const int downloadsBefore = s->app.downloads;
    s->Do(t.click);
    EXPECT_EQ(s->Shown(), t.next) << t.name;
    EXPECT_EQ(s->app.exits, t.exits) << t.name;
    EXPECT_EQ(s->app.downloads - downloadsBefore, t.downloads) << t.name;
    EXPECT_EQ(s->platform.opened.size(), static_cast<std::size_t>(t.opened)) << t.name;
    EXPECT_EQ(s->app.terminates, 0) << t.name;
    if (t.opened) {
      EXPECT_EQ(openedBy.emplace(s->platform.opened[0], *t.click).first->second, *t.click)
          << t.name;
    }
  }
}
