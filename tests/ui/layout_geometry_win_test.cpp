#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/ui/layout_fixture_win.h"
#include "tests/ui/text_measure_win.h"

namespace {

using layout::Kind;

constexpr TSetupEdition kEditions[] = {seChoosePlatform, seDirectInstall, seCompanion};

RECT PageAreaOf(const SetupViewWin& view) { return view.Container().PageRect(); }

// Where the table puts a control, in the window's client coordinates.
RECT Expected(const SetupViewWin& view, const layout::ControlSpec& entry) {
  RECT r{entry.box.left, entry.box.top, entry.box.Right(), entry.box.Bottom()};
  if (entry.id == Control::imgRilo) OffsetRect(&r, 0, -entry.box.top);
  if (!entry.page) return r;
  const RECT area = PageAreaOf(view);
  const int panelLeft = layout::Pages()[layout::PageOrder(*entry.page)].panelLeft;
  OffsetRect(&r, layout::kPageContainerBox.left + area.left + panelLeft,
             layout::kPageContainerBox.top + area.top);
  return r;
}

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

TEST(WinUiLayout, EveryFixedControlLiesInItsTableBoxInEveryEdition) {
  for (TSetupEdition edition : kEditions) {
    LayoutWindow w(edition);
    for (const auto& entry : layout::Controls()) {
      if (entry.sizing == layout::Sizing::AutoSize) continue;
      EXPECT_TRUE(SameRect(w.View().ControlRect(entry.id), Expected(w.View(), entry)))
          << ControlName(entry.id) << " in edition " << edition;
    }
  }
}

TEST(WinUiLayout, AutoSizedLabelsKeepTheirCornerAndTakeTheirTextsSize) {
  LayoutWindow w(seChoosePlatform);
  for (const auto& entry : layout::Controls()) {
    if (entry.sizing != layout::Sizing::AutoSize) continue;
    const RECT actual = w.View().ControlRect(entry.id);
    const RECT expected = Expected(w.View(), entry);
    EXPECT_EQ(actual.left, expected.left) << ControlName(entry.id);
    EXPECT_EQ(actual.top, expected.top) << ControlName(entry.id);
    // The table's sizes are those of the texts and the Tahoma of the original layout; the box
    // follows the text and font at hand.
    const auto& style = layout::StyleSpec(entry.style);
    const SIZE text = TextExtent(w.View().GetText(entry.id), style.charHeight, style.bold);
    EXPECT_EQ(actual.right - actual.left, text.cx) << ControlName(entry.id);
    EXPECT_EQ(actual.bottom - actual.top, text.cy) << ControlName(entry.id);
    EXPECT_NEAR(actual.bottom - actual.top, entry.box.height, 2) << ControlName(entry.id);
  }
}

TEST(WinUiLayout, HeaderPictureAndDownloadPageFollowTheEdition) {
  for (TSetupEdition edition : kEditions) {
    LayoutWindow w(edition);
    const SetupViewWin& v = w.View();
    EXPECT_EQ(v.ControlVisible(Control::imgRilo), edition == seCompanion) << edition;
    EXPECT_EQ(v.ControlVisible(Control::imgTumo), edition != seCompanion) << edition;
    for (Control c : {Control::Image1, Control::Image2, Control::Image3})
      EXPECT_TRUE(v.ControlVisible(c));
    EXPECT_TRUE(v.ControlVisible(Control::lblDownloadHeader));
    EXPECT_TRUE(v.ControlVisible(Control::ProgressBar1));
    EXPECT_TRUE(v.ControlVisible(Control::pnlBtnCancelDownload));
    EXPECT_FALSE(v.ControlVisible(Control::lblNoConnection));
    EXPECT_FALSE(v.ControlVisible(Control::pnlBtnRety));
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
    EXPECT_EQ(view.ActivePage(), tsh1);  // the first page added, as the container shows it
    view.InstallTabWndProc();
    SetupViewWin& v = view;
    v.ShowPage(tsh0);
    EXPECT_EQ(v.ActivePage(), tsh0);
    v.HideTabs();
    EXPECT_EQ(captions(), V{});
    EXPECT_FALSE(v.ActivePage().has_value());
    for (const auto& p : layout::Pages()) EXPECT_FALSE(IsWindowVisible(v.PageWindow(p.page)));
  }
  DestroyWindow(parent);
}
