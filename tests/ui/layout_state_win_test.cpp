#include <windows.h>
#include <commctrl.h>

#include <memory>

#include <gtest/gtest.h>

#include "ui/dpi_scale_win.h"
#include "tests/ui/expected_layout_win.h"
#include "tests/ui/layout_fixture_win.h"
#include "base/system_library_win.h"
#include "base/handles_win.h"
#include "download/progress_pacer.h"
#include "ui/client_accessible_win.h"

namespace {

COLORREF ScreenPixel(HWND form, POINT client) {
  ClientToScreen(form, &client);
  WindowDc screen(nullptr);
  return GetPixel(screen.get(), client.x, client.y);
}

// A thread hook that refuses every progress bar, so the download page cannot be made whole.
LRESULT CALLBACK RefuseProgressBars(int code, WPARAM wParam, LPARAM lParam) {
  const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
  if (code == HCBT_CREATEWND && !IS_INTRESOURCE(create->lpcs->lpszClass) &&
      lstrcmpiW(create->lpcs->lpszClass, PROGRESS_CLASSW) == 0)
    return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(WinUiProgress, APageThatCannotBeMadeWholeIsMadeOnItsNextUse) {
  LayoutWindow w(seDirectInstall);
  const HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseProgressBars, nullptr, GetCurrentThreadId());
  EXPECT_THROW(w.View().ShowPage(tsh3), std::runtime_error);
  UnhookWindowsHookEx(hook);
  w.View().ShowPage(tsh3);
  EXPECT_NE(w.View().ProgressBarWindow(), nullptr);
}

// A reader's walk over the children: each enumerator keeps a place of its own, a clone starts at
// its original's. The parent a reader holds outlives the window, and so does its code.
TEST(WinUiAccess, EnumeratorsKeepTheirOwnPlaceAndTheParentOutlivesTheWindow) {
  OleInitialize(nullptr);
  auto w = std::make_unique<LayoutWindow>(seChoosePlatform);
  IAccessible* client = nullptr;
  {
    const SystemLibrary oleacc(L"oleacc.dll");  // let go before the window's hold ends
    ASSERT_EQ(oleacc.Get<decltype(&AccessibleObjectFromWindow)>("AccessibleObjectFromWindow")(
                  w->Form(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                  reinterpret_cast<void**>(&client)),
              S_OK);
  }
  IEnumVARIANT *one = nullptr, *two = nullptr, *copy = nullptr;
  client->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&one));
  client->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&two));
  const auto next = [](IEnumVARIANT* e) {  // the child read next, else the result
    VARIANT child{};
    const HRESULT hr = e->Next(1, &child, nullptr);
    return hr == S_OK ? child.lVal : hr;
  };
  constexpr ULONG kOnView = 8;  // the flags, the logo, the title, three links, exit: no symbol
  EXPECT_EQ(one->Skip(kOnView), S_OK);  // exactly to the end
  EXPECT_EQ(next(one), S_FALSE);
  EXPECT_EQ(next(two), ChildId(Control::Image2));
  ASSERT_EQ(two->Clone(&copy), S_OK);
  EXPECT_EQ(two->Skip(kOnView), S_FALSE);
  EXPECT_EQ(next(copy), ChildId(Control::Image3));
  EXPECT_EQ(one->Reset(), S_OK);
  EXPECT_EQ(next(one), ChildId(Control::Image2));
  IDispatch* parent = nullptr;
  ASSERT_EQ(client->get_accParent(&parent), S_OK);
  w.reset();
  EXPECT_EQ(next(copy), CO_E_OBJNOTCONNECTED);
  for (IUnknown* held : std::initializer_list<IUnknown*>{client, one, two, copy}) held->Release();
  // COM keeps a hold of its own on oleacc (the interface's marshalling code); where it lets go
  // first, only the window's hold is left.
  FreeLibrary(GetModuleHandleW(L"oleacc.dll"));
  ASSERT_NE(GetModuleHandleW(L"oleacc.dll"), nullptr);
  parent->Release();
  OleUninitialize();
}

TEST(WinUiLanguage, TextsOutsideTheCatalogueStayInBothLanguages) {
  LayoutWindow w(seCompanion, L"ENU");
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(w.View().GetText(Control::lblWindows), L"Windows");
    EXPECT_EQ(w.View().GetText(Control::lblAndroid), L"Android");
    EXPECT_EQ(w.View().GetText(Control::lblSetupRilo), L"SETUP DESK WARDEN");
    w.Click(Control::Image2);
  }
  EXPECT_EQ(w.View().GetText(Control::PnlExitRilo), L"ABBRECHEN");
}

TEST(WinUiProgress, RangePositionAndMarqueeFollowTheDownloadPage) {
  LayoutWindow w(seDirectInstall);
  HWND bar = w.View().ProgressBarWindow();
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
  DownloadPage& page = w.Logic();
  page.ShowDownloadPage();
  EXPECT_EQ(w.View().ActivePage(), tsh3);
  ProgressPacer progress(page.Progress());
  progress.Begin(1 << 20);
  progress.Work(1 << 19);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 1 << 20);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1 << 19);
  // One more byte moves the fill by less than a pixel: the control is not told.
  progress.Work((1 << 19) + 1);
  progress.Flush();
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1 << 19);
  EXPECT_EQ(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  // No announced length: the bar runs as a marquee, and a later length turns it back.
  page.Progress().SetProgressMax(0);
  EXPECT_NE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  page.Progress().SetProgressMax(-5);
  EXPECT_NE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  page.Progress().SetProgressMax(200);
  page.Progress().SetProgressPosition(50);
  EXPECT_EQ(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 200);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 50);

  auto expectFailureShown = [&w](bool failed) {
    EXPECT_EQ(w.View().ControlVisible(Control::ProgressBar1), !failed);
    EXPECT_EQ(w.View().ControlVisible(Control::lblDownloadHeader), !failed);
    EXPECT_EQ(w.View().ControlVisible(Control::lblNoConnection), failed);
    EXPECT_EQ(w.View().ControlVisible(Control::pnlBtnRety), failed);
  };
  page.ShowConnectionError();
  expectFailureShown(true);
  // Events still reach the hidden bar.
  page.Progress().SetProgressPosition(150);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 150);
  // The next attempt shows the page running again.
  page.ShowDownloadPage();
  expectFailureShown(false);
}

TEST(WinUiPictures, ColoursOnScreen) {
  LayoutWindow w(seChoosePlatform);
  w.Pump();
  RedrawWindow(w.Form(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_EQ(ScreenPixel(w.Form(), POINT{670, 150}), RGB(255, 255, 255));     // header
  EXPECT_EQ(ScreenPixel(w.Form(), POINT{330, 420}), RGB(0x00, 0x40, 0xD5));  // page panel
  const RECT exit = w.View().ControlRect(Control::pnlExit);
  EXPECT_EQ(ScreenPixel(w.Form(), POINT{exit.left + 3, exit.top + 3}), RGB(0xCA, 0xDF, 0xF7));
  // The German flag's top band is black, the US flag's corner the canton's blue.
  const RECT de = w.View().ControlRect(Control::Image2);
  EXPECT_EQ(ScreenPixel(w.Form(), POINT{de.left + 15, de.top + 2}), RGB(0, 0, 0));
  const COLORREF canton =
      ScreenPixel(w.Form(), POINT{w.View().ControlRect(Control::Image3).left + 2,
                                  w.View().ControlRect(Control::Image3).top + 2});
  EXPECT_GT(GetBValue(canton), GetRValue(canton));

  // Widened, the blue page runs to column 800 on every page, also where the panel at left -3
  // ends; the white background lies beyond.
  RECT frame;
  GetWindowRect(w.Form(), &frame);
  SetWindowPos(w.Form(), nullptr, 0, 0, frame.right - frame.left + 200, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  w.Pump();
  for (TSetupPage page : {tsh1, tsh2}) {
    w.View().ShowPage(page);
    RedrawWindow(w.Form(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (int x : {700, 797, 798, 800})
      EXPECT_EQ(ScreenPixel(w.Form(), POINT{x, 420}), RGB(0x00, 0x40, 0xD5)) << x << " " << page;
    EXPECT_EQ(ScreenPixel(w.Form(), POINT{801, 420}), RGB(255, 255, 255)) << page;
  }
}

// At 120 DPI (125 %) the client area is 849 x 761 and every edge and character height is the
// description's, scaled with MulDiv.
TEST(WinUiScaling, AtAnotherResolutionEveryEdgeAndFontIsScaledByMulDiv) {
  for (TSetupEdition edition : {seChoosePlatform, seCompanion}) {
    LayoutWindow w(edition, L"ENU", DpiScale(120));
    RECT client;
    GetClientRect(w.Form(), &client);
    EXPECT_EQ(client.right, 849);
    EXPECT_EQ(client.bottom, 761);
    EXPECT_EQ(expected::Mismatches(w.Form(), w.View(), edition, 120), std::vector<std::string>{})
        << "edition " << edition;
  }
}
