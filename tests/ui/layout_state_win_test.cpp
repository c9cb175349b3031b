#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include <gtest/gtest.h>

#include "ui/dpi_scale.h"
#include "tests/ui/layout_fixture_win.h"
#include "ui/picture_store.h"
#include "tests/ui/text_measure_win.h"
#include "base/win_handles.h"

namespace {

int TextWidth(const std::wstring& text, int charHeight, bool bold) {
  return TextExtent(text, charHeight, bold).cx;
}

int Width(const RECT& r) { return r.right - r.left; }

COLORREF ScreenPixel(HWND form, POINT client) {
  ClientToScreen(form, &client);
  WindowDc screen(nullptr);
  return GetPixel(screen.get(), client.x, client.y);
}

}  // namespace

TEST(WinUiLanguage, SwitchResizesAutoSizedLabelsToTheRightAndKeepsFixedBoxes) {
  LayoutWindow w(seChoosePlatform);
  SetupViewWin& v = w.View();
  const RECT pdfBefore = v.ControlRect(Control::lblMorePDF);
  const RECT installBefore = v.ControlRect(Control::lblTumoOnlyInstall);
  const RECT titleBefore = v.ControlRect(Control::lblSetupTitle);
  w.Click(Control::Image3);
  ASSERT_EQ(v.GetText(Control::lblMorePDF), L"Manuals PDF");
  const RECT pdfAfter = v.ControlRect(Control::lblMorePDF);
  EXPECT_EQ(pdfAfter.left, pdfBefore.left);
  EXPECT_EQ(pdfAfter.top, pdfBefore.top);
  EXPECT_LT(Width(pdfAfter), Width(pdfBefore));
  EXPECT_EQ(Width(pdfAfter), TextWidth(L"Manuals PDF", 24, true));
  EXPECT_EQ(Width(v.ControlRect(Control::lblMorePavoWindows)),
            TextWidth(L"Ward Pilot Windows", 21, false));
  const RECT installAfter = v.ControlRect(Control::lblTumoOnlyInstall);
  EXPECT_TRUE(EqualRect(&installAfter, &installBefore));
  const RECT titleAfter = v.ControlRect(Control::lblSetupTitle);
  EXPECT_TRUE(EqualRect(&titleAfter, &titleBefore));
  w.Click(Control::Image2);
  const RECT pdfBack = v.ControlRect(Control::lblMorePDF);
  EXPECT_TRUE(EqualRect(&pdfBack, &pdfBefore));
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
  page.SetProgressMax(1 << 20);
  page.SetProgressPosition(1 << 19);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 1 << 20);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1 << 19);
  // One more byte moves the fill by less than a pixel: the control is not told.
  page.SetProgressPosition((1 << 19) + 1);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1 << 19);
  EXPECT_EQ(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  // No announced length: the bar runs as a marquee, and a later length turns it back.
  page.SetProgressMax(0);
  EXPECT_NE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  page.SetProgressMax(-5);
  EXPECT_NE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  page.SetProgressMax(200);
  page.SetProgressPosition(50);
  EXPECT_EQ(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 200);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 50);

  page.ShowConnectionError();
  EXPECT_FALSE(w.View().ControlVisible(Control::ProgressBar1));
  EXPECT_FALSE(w.View().ControlVisible(Control::lblDownloadHeader));
  EXPECT_TRUE(w.View().ControlVisible(Control::lblNoConnection));
  EXPECT_TRUE(w.View().ControlVisible(Control::pnlBtnRety));
  // Events still reach the hidden bar.
  page.SetProgressPosition(150);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 150);
}

TEST(WinUiPictures, EveryPictureIsLoadedAtItsBoxSize) {
  LayoutWindow w(seDirectInstall);
  for (const auto& entry : layout::Controls()) {
    if (entry.kind != layout::Kind::Picture) continue;
    EXPECT_TRUE(w.View().Pictures().Loaded(entry.picture, entry.box.width, entry.box.height))
        << ControlName(entry.id);
  }
}

// A module without the pictures stands in for a damaged executable: the store is built all the
// same, holds nothing and draws nothing.
TEST(WinUiPictures, MissingPicturesLeaveTheirBoxesEmpty) {
  const PictureStore store(GetModuleHandleW(L"kernel32.dll"), DpiScale());
  const layout::ControlSpec& logo = layout::ControlEntry(Control::Image1);
  EXPECT_FALSE(store.Loaded(logo.picture, logo.box.width, logo.box.height));

  const MemoryDc dc(CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = logo.box.width;
  info.bmiHeader.biHeight = -logo.box.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const BitmapHandle bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_TRUE(bitmap);
  const SelectGuard selected(dc.get(), bitmap.get());
  const RECT whole{0, 0, logo.box.width, logo.box.height};
  FillRect(dc.get(), &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  store.Draw(logo.picture, dc.get(), whole);
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  const int count = logo.box.width * logo.box.height;
  EXPECT_EQ(std::count(pixels, pixels + count, 0x00FFFFFFu), count);
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
}

TEST(WinUiScaling, AtAnotherResolutionEveryEdgeAndFontIsScaledByMulDiv) {
  const int dpi = 120;
  HWND parent =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, MulDiv(679, dpi, 96), MulDiv(609, dpi, 96),
                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(parent);
  RecordingErrors errors;
  {
    SetupViewWin view(parent, GetModuleHandleW(nullptr), errors, DpiScale(dpi));
    const auto scaled = [&](int v) { return MulDiv(v, dpi, 96); };
    const RECT logo = view.ControlRect(Control::Image1);
    EXPECT_EQ(logo.left, scaled(492));
    EXPECT_EQ(logo.top, scaled(24));
    EXPECT_EQ(logo.right, scaled(492 + 162));
    EXPECT_EQ(logo.bottom, scaled(24 + 65));
    EXPECT_TRUE(view.Pictures().Loaded(layout::Picture::Logo, scaled(654) - scaled(492),
                                       scaled(89) - scaled(24)));
    RECT container;
    GetWindowRect(view.Container().Handle(), &container);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&container), 2);
    EXPECT_EQ(container.top, scaled(272));
    EXPECT_EQ(container.right, scaled(801));
    RECT exit;
    GetWindowRect(view.ControlWindow(Control::pnlExit), &exit);
    MapWindowPoints(nullptr, view.PanelWindow(tsh1), reinterpret_cast<POINT*>(&exit), 2);
    EXPECT_EQ(exit.left, scaled(480));
    EXPECT_EQ(exit.right, scaled(480 + 185));
    EXPECT_EQ(exit.bottom, scaled(280 + 41));
    view.SetText(Control::lblMore, L"More");
    const RECT more = view.ControlRect(Control::lblMore);
    const SIZE text = TextExtent(L"More", scaled(21), false);
    EXPECT_EQ(more.right - more.left, text.cx);
    EXPECT_EQ(more.bottom - more.top, text.cy);
  }
  DestroyWindow(parent);
}
