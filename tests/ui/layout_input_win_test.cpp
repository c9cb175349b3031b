#include <algorithm>
#include <stdexcept>

#include <gtest/gtest.h>

#include "tests/logic/transitions.h"
#include "tests/ui/layout_fixture_win.h"

namespace {

POINT Offset(POINT p, int dx, int dy) { return POINT{p.x + dx, p.y + dy}; }

POINT Corner(const RECT& r, bool right, bool bottom) {
  return POINT{right ? r.right - 1 : r.left, bottom ? r.bottom - 1 : r.top};
}

}  // namespace

// The navigation table, every click through the window.
struct WindowSession : LayoutWindow {
  explicit WindowSession(TSetupEdition edition) : LayoutWindow(edition) {
    app.onDownload = FailedAttempt;
  }
  void Do(Action action) {
    if (action)
      Click(*action);
    else
      SendMessageW(Form(), WM_CLOSE, 0, 0);
    EXPECT_EQ(errors.reports, 0);
  }
  TSetupPage Shown() { return View().ActivePage().value(); }
};

TEST(WinUiClicks, EveryTransitionOfTheNavigationTable) {
  CheckEveryTransition([](TSetupEdition e) { return std::make_unique<WindowSession>(e); });
}

TEST(WinUiClicks, HeaderLinksAndFlags) {
  LayoutWindow w(seChoosePlatform);
  w.Click(Control::lblMore);
  w.Click(Control::Image3);
  EXPECT_EQ(w.values.UiLanguage, ulEnglish);
  EXPECT_EQ(w.View().ActivePage(), tsh1);
  EXPECT_EQ(w.View().GetText(Control::lblMore), L"More");
  w.Click(Control::Image2);
  EXPECT_EQ(w.values.UiLanguage, ulGerman);
  EXPECT_EQ(w.View().GetText(Control::lblMore), L"Mehr");
  // The logo's right part, beside the mascot's box.
  const RECT logo = w.View().ControlRect(Control::Image1);
  w.Click(POINT{logo.right - 10, logo.top + 30});
  ASSERT_EQ(w.platform.opened.size(), 1u);
  EXPECT_NE(w.platform.opened[0].find(L"kontakt"), std::wstring::npos);
}

TEST(WinUiClicks, LogoColumnsUnderTheMascotTakeClicksOnlyWithoutMascot) {
  for (TSetupEdition edition : {seDirectInstall, seCompanion}) {
    LayoutWindow w(edition);
    const RECT logo = w.View().ControlRect(Control::Image1);
    w.Click(POINT{logo.left + 5, logo.top + 30});  // window column 497: inside the mascot's box
    EXPECT_EQ(w.platform.opened.size(), edition == seCompanion ? 1u : 0u) << edition;
  }
}

TEST(WinUiClicks, ControlsWithoutActionAndEmptyPanelDoNothing) {
  LayoutWindow w(seChoosePlatform);
  const auto nothingHappened = [&](TSetupPage page) {
    EXPECT_EQ(w.app.downloads + w.app.exits + w.app.terminates, 0);
    EXPECT_TRUE(w.platform.opened.empty());
    EXPECT_EQ(w.View().ActivePage(), page);
    EXPECT_EQ(w.values.UiLanguage, ulGerman);
  };
  w.Click(Control::lblSetupTitle);
  w.Click(Control::imgTumo);
  w.Click(POINT{30, 450});   // page panel left of the Windows symbol
  w.Click(POINT{330, 400});  // between the two symbols
  w.Click(POINT{660, 150});  // white header right of the mascot
  nothingHappened(tsh1);
  w.View().ShowPage(tsh2);
  for (Control c : {Control::lblAndroidStep1, Control::lblAndroidStep2, Control::lblAndroidStep3,
                    Control::lblAndroidStep4})
    w.Click(c);
  nothingHappened(tsh2);
  w.View().ShowPage(tsh4);
  w.Click(Control::lblMorePDF);
  w.Click(Control::lblMoreSoftware);
  nothingHappened(tsh4);
  w.View().ShowPage(tsh3);
  w.Click(Control::lblDownloadHeader);
  w.Click(Control::ProgressBar1);
  nothingHappened(tsh3);
}

TEST(WinUiClicks, ButtonFaceCornersClickButPressAndReleaseMustMatch) {
  LayoutWindow w(seChoosePlatform);
  const RECT exit = w.View().ControlRect(Control::pnlExit);
  for (bool right : {false, true})
    for (bool bottom : {false, true}) w.Click(Corner(exit, right, bottom));
  EXPECT_EQ(w.app.exits, 4);
  // Released outside the face, or pressed elsewhere and released on it: no click.
  w.PressAndRelease(w.CentreOf(Control::pnlExit), Offset(Corner(exit, false, false), -3, 0));
  w.PressAndRelease(w.CentreOf(Control::imgWindows), w.CentreOf(Control::lblWindows));
  w.PressAndRelease(w.CentreOf(Control::lblAndroid), w.CentreOf(Control::lblWindows));
  EXPECT_EQ(w.app.exits, 4);
  EXPECT_EQ(w.app.downloads, 0);
  EXPECT_EQ(w.View().ActivePage(), tsh1);
}

TEST(WinUiHover, SymbolsAndLinksUnderlineExactlyTheirLabel) {
  LayoutWindow w(seChoosePlatform);
  using V = std::vector<Control>;
  w.MoveTo(Control::imgWindows);
  EXPECT_EQ(UnderlinedLabels(w.View()), V{Control::lblWindows});
  w.MoveTo(Control::imgAndroid);
  EXPECT_EQ(UnderlinedLabels(w.View()), V{Control::lblAndroid});
  w.MoveTo(Control::lblAndroid);  // from the symbol straight onto its label
  EXPECT_EQ(UnderlinedLabels(w.View()), V{Control::lblAndroid});
  w.MoveTo(POINT{330, 400});
  EXPECT_EQ(UnderlinedLabels(w.View()), V{});
  w.MoveTo(Control::lblMore);
  EXPECT_EQ(UnderlinedLabels(w.View()), V{Control::lblMore});
  w.Leave();
  EXPECT_EQ(UnderlinedLabels(w.View()), V{});

  w.View().ShowPage(tsh4);
  for (Control c : {Control::lblMorePavoWindows, Control::lblMorePavoAndroid, Control::lblMoreRilo,
                    Control::lblMoreSoftwareRilo}) {
    w.MoveTo(c);
    EXPECT_EQ(UnderlinedLabels(w.View()), V{c}) << ControlName(c);
  }
  w.Leave();
  EXPECT_EQ(UnderlinedLabels(w.View()), V{});
}

TEST(WinUiHover, InstallLinksOfTheSingleInstallPages) {
  using V = std::vector<Control>;
  {
    LayoutWindow w(seDirectInstall);
    w.MoveTo(Control::lblTumoOnlyInstall);
    EXPECT_EQ(UnderlinedLabels(w.View()), V{Control::lblTumoOnlyInstall});
    w.Leave();
    EXPECT_EQ(UnderlinedLabels(w.View()), V{});
    // The symbol's pair acts on lblWindows of tsh1, which is not shown: nothing visible changes.
    w.MoveTo(Control::Image6);
    EXPECT_EQ(UnderlinedLabels(w.View()), V{Control::lblWindows});
    w.Leave();
    EXPECT_EQ(UnderlinedLabels(w.View()), V{});
  }
  {
    LayoutWindow w(seCompanion);
    w.MoveTo(Control::lblRiloInstall);
    EXPECT_EQ(UnderlinedLabels(w.View()), V{Control::lblRiloInstall});
    w.MoveTo(Control::imgRiloInstall);
    EXPECT_EQ(UnderlinedLabels(w.View()), V{Control::lblWindows});
    w.Leave();
    EXPECT_EQ(UnderlinedLabels(w.View()), V{});
  }
}

TEST(WinUiHover, ControlsWithoutFeedbackChangeNoLabel) {
  LayoutWindow w(seChoosePlatform);
  using V = std::vector<Control>;
  for (Control c : {Control::pnlExit, Control::Image1, Control::Image2, Control::Image3,
                    Control::lblSetupTitle, Control::imgTumo}) {
    w.MoveTo(c);
    EXPECT_EQ(UnderlinedLabels(w.View()), V{}) << ControlName(c);
  }
  // lblWindows shares the pair of tsh0's install link: its own look stays regular.
  w.MoveTo(Control::lblWindows);
  EXPECT_FALSE(w.View().Underlined(Control::lblWindows));
  EXPECT_EQ(UnderlinedLabels(w.View()), V{Control::lblTumoOnlyInstall});
  w.Leave();
  w.View().ShowPage(tsh4);
  for (Control c : {Control::lblMorePDF, Control::lblMoreSoftware, Control::pnlBtnBackOther}) {
    w.MoveTo(c);
    EXPECT_EQ(UnderlinedLabels(w.View()), V{}) << ControlName(c);
  }
  w.Leave();
}

TEST(WinUiHover, LeavingThePageByClickingALinkEndsItsUnderline) {
  LayoutWindow w(seChoosePlatform);
  w.MoveTo(Control::lblMore);
  w.Click(Control::lblMore);
  EXPECT_EQ(w.View().ActivePage(), tsh4);
  EXPECT_FALSE(w.View().Underlined(Control::lblMore));
  w.Pump();
  w.Click(Control::pnlBtnBackOther);
  EXPECT_FALSE(w.View().Underlined(Control::lblMore));
}

TEST(WinUiHover, PointerStaysTheArrowEverywhere) {
  LayoutWindow w(seChoosePlatform);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  for (Control c : {Control::lblMore, Control::pnlExit, Control::imgWindows}) {
    POINT local;
    const POINT p = w.CentreOf(c);
    HWND target = ChildWindowFromPointEx(w.Form(), p, CWP_SKIPINVISIBLE);
    while (true) {
      local = p;
      MapWindowPoints(w.Form(), target, &local, 1);
      HWND child = ChildWindowFromPointEx(target, local, CWP_SKIPINVISIBLE);
      if (!child || child == target) break;
      target = child;
    }
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(target, GCLP_HCURSOR)), arrow)
        << ControlName(c);
  }
}

TEST(WinUiClicks, AnErrorEscapingAHandlerIsReportedAndTheWindowGoesOn) {
  LayoutWindow w(seChoosePlatform);
  w.app.onExit = [] { throw std::runtime_error("exit failed"); };
  w.app.onDownload = [](DownloadPage&) { throw std::runtime_error("download failed"); };
  w.platform.shellThrows = true;
  const RECT logo = w.View().ControlRect(Control::Image1);
  w.Click(POINT{logo.right - 5, logo.top + 30});  // the link absorbs this one
  w.Click(Control::imgWindows);                   // page: the download fails
  w.Click(Control::pnlExit);                      // button: the exit fails
  EXPECT_EQ(w.app.exits + w.app.downloads, 2);
  EXPECT_EQ(w.errors.reports, 2);
  w.Logic().lblMoreClick();
  EXPECT_EQ(w.View().ActivePage(), tsh4);
}
