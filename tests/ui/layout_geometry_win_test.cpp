#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/ui/expected_layout_win.h"
#include "tests/ui/layout_fixture_win.h"

namespace {

constexpr TSetupEdition kEditions[] = {seChoosePlatform, seDirectInstall, seCompanion};

RECT PageAreaOf(const SetupViewWin& view) { return view.Container().PageRect(); }

::testing::AssertionResult SameRect(const RECT& a, const RECT& b) {
  if (EqualRect(&a, &b)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "{" << a.left << "," << a.top << "," << a.right << "," << a.bottom << "} vs {" << b.left
         << "," << b.top << "," << b.right << "," << b.bottom << "}";
}

// The platform's display area for an empty row of flat buttons, without TabWndProc.
RECT PlainTabDisplayArea(HWND parent) {
  HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"",
                             WS_CHILD | TCS_BUTTONS | TCS_FLATBUTTONS | TCS_SINGLELINE, 0, 0, 801,
                             340, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  RECT r;
  GetClientRect(tab, &r);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  DestroyWindow(tab);
  return r;
}

}  // namespace

// Boxes, visibility, fonts, colours and pictures against the description, in both languages,
// since auto-sized labels follow their text.
TEST(WinUiLayout, EveryControlIsAsTheLayoutDescribesInEveryEditionAndLanguage) {
  for (TSetupEdition edition : kEditions) {
    LayoutWindow w(edition, L"DEU", DpiScale(96));
    EXPECT_EQ(expected::Mismatches(w.Form(), w.View(), edition, 96), std::vector<std::string>{})
        << "edition " << edition;
    w.Click(Control::Image3);
    ASSERT_EQ(w.values.UiLanguage, ulEnglish);
    EXPECT_EQ(expected::Mismatches(w.Form(), w.View(), edition, 96), std::vector<std::string>{})
        << "edition " << edition << ", English";
  }
}

TEST(WinUiLayout, ControlsThatCanBeSeenTogetherDoNotOverlap) {
  for (const auto& a : layout::Controls())
    for (const auto& b : layout::Controls()) {
      if (&a >= &b || !a.page || a.page != b.page) continue;
      if (a.page == tsh3 && a.visible != b.visible) continue;  // never shown together
      EXPECT_FALSE(a.box.Overlaps(b.box)) << ControlName(a.id) << " / " << ControlName(b.id);
    }
}

TEST(WinUiPages, PageAreaCoversTheContainerAndStartsSixAboveThePlatformsTop) {
  LayoutWindow w(seDirectInstall);
  const RECT plain = PlainTabDisplayArea(w.Form());
  const RECT area = PageAreaOf(w.View());
  EXPECT_EQ(area.left, 0);
  EXPECT_EQ(area.right, 801);
  EXPECT_EQ(area.bottom, 340);
  EXPECT_EQ(area.top, plain.top - 6);
  for (const auto& p : layout::Pages()) {
    RECT r;
    GetWindowRect(w.View().PageWindow(p.page), &r);
    MapWindowPoints(nullptr, w.View().Container().Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(SameRect(r, area)) << PageName(p.page);
  }
}

TEST(WinUiPages, NoTabExistsAndExactlyTheStartPageIsVisible) {
  const std::pair<TSetupEdition, TSetupPage> starts[] = {
      {seChoosePlatform, tsh1}, {seDirectInstall, tsh0}, {seCompanion, tsh5}};
  for (auto [edition, start] : starts) {
    LayoutWindow w(edition);
    EXPECT_EQ(SendMessageW(w.View().Container().Handle(), TCM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(w.View().ActivePage(), start);
    for (const auto& p : layout::Pages())
      EXPECT_EQ(IsWindowVisible(w.View().PageWindow(p.page)) != FALSE, p.page == start)
          << PageName(p.page) << " in edition " << edition;
  }
}

TEST(WinUiPages, ShowingPagesKeepsExactlyOneVisibleAndNeverAddsATab) {
  LayoutWindow w(seChoosePlatform);
  for (TSetupPage page : {tsh2, tsh3, tsh3, tsh4, tsh0, tsh5, tsh1}) {
    w.View().ShowPage(page);
    int visible = 0;
    for (const auto& p : layout::Pages())
      visible += IsWindowVisible(w.View().PageWindow(p.page)) ? 1 : 0;
    EXPECT_EQ(visible, 1);
    EXPECT_TRUE(IsWindowVisible(w.View().PageWindow(page)));
    EXPECT_EQ(SendMessageW(w.View().Container().Handle(), TCM_GETITEMCOUNT, 0, 0), 0);
  }
}

TEST(WinUiPages, NoControlTakesTheFocusOrScrolls) {
  LayoutWindow w(seChoosePlatform);
  SetFocus(w.Form());
  w.Click(Control::lblMore);
  w.Click(Control::pnlBtnBackOther);
  EXPECT_EQ(GetFocus(), w.Form());
  const LONG_PTR style = GetWindowLongPtrW(w.Form(), GWL_STYLE);
  EXPECT_EQ(style & (WS_HSCROLL | WS_VSCROLL), 0);
}

TEST(WinUiPages, HidingTheTabsInOrderRemovesEachPagesOwnTabAndLeavesNoActivePage) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 679, 609, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(parent);
  RecordingErrors errors;
  {
    SetupViewWin view(parent, GetModuleHandleW(nullptr), errors, DpiScale(96));
    HWND tab = view.Container().Handle();
    const auto captions = [&] {
      std::vector<std::string> out;
      const int n = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
      for (int i = 0; i < n; ++i) {
        wchar_t text[16] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 16;
        SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        out.emplace_back(text, text + wcslen(text));
      }
      return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(captions(), (V{"tsh1", "tsh2", "tsh3", "tsh4", "tsh0", "tsh5"}));
    // While the window is being built, tsh0 is the active page, selected by its tab.
    EXPECT_EQ(view.ActivePage(), tsh0);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 4);
    for (const auto& p : layout::Pages())
      EXPECT_EQ((GetWindowLongPtrW(view.PageWindow(p.page), GWL_STYLE) & WS_VISIBLE) != 0,
                p.page == tsh0);
    view.InstallTabWndProc();
    SetupViewWin& v = view;
    v.HideTabs();
    EXPECT_EQ(captions(), V{});
    EXPECT_FALSE(v.ActivePage().has_value());
    for (const auto& p : layout::Pages()) EXPECT_FALSE(IsWindowVisible(v.PageWindow(p.page)));
  }
  DestroyWindow(parent);
}
