#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "start/message_loop_win.h"
#include "tests/support/recording_errors_win.h"
#include "tests/support/fakes.h"
#include "tests/support/pump_win.h"
#include "ui/ubackground_win.h"
#include "ui/uSetup_win.h"
#include "ui/window_centring.h"

namespace {

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

class WinStartWindows : public testing::Test {
protected:
  void SetUp() override {
    instance_ = GetModuleHandleW(nullptr);
    icon_ = LoadIconW(nullptr, IDI_APPLICATION);
    background_ = std::make_unique<TFrmBackground>(instance_, icon_, app_, errors_);
    setup_ = std::make_unique<TFrmSetup>(instance_, background_->Handle(), icon_, app_, app_,
                                         errors_, values_);
    background_->AttachSetupWindow(setup_->Handle());
  }
  void TearDown() override {
    background_->DetachSetupWindow();
    setup_.reset();
    background_.reset();
    PumpFor(50);
  }

  HWND Bg() const { return background_->Handle(); }
  HWND Setup() const { return setup_->Handle(); }

  // Shows the background window as the loop does and waits for the setup window to be active.
  void StartShowing() {
    background_->ShowMaximized();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(Setup()) && GetActiveWindow() == Setup(); }))
        << "the setup window did not become visible and active";
  }

  HINSTANCE instance_ = nullptr;
  HICON icon_ = nullptr;
  SetupValues values_;
  FakeApp app_;
  MessageRecordingErrors errors_;
  std::unique_ptr<TFrmBackground> background_;
  std::unique_ptr<TFrmSetup> setup_;
};

TEST_F(WinStartWindows, BackgroundIsABorderlessPopupWithTheTaskbarButton) {
  const LONG style = GetWindowLongW(Bg(), GWL_STYLE);
  const LONG ex = GetWindowLongW(Bg(), GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU));
  EXPECT_TRUE(ex & WS_EX_APPWINDOW);
  EXPECT_FALSE(ex & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindowTextLengthW(Bg()), 0);
  EXPECT_EQ(GetWindow(Bg(), GW_OWNER), nullptr);
  EXPECT_FALSE(IsWindowVisible(Bg()));
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(GetClassLongPtrW(Bg(), GCLP_HBRBACKGROUND)),
            GetStockObject(WHITE_BRUSH));

  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ASSERT_TRUE(GetWindowPlacement(Bg(), &placement));
  EXPECT_EQ(placement.rcNormalPosition.left, 0);
  EXPECT_EQ(placement.rcNormalPosition.top, 0);
  EXPECT_EQ(placement.rcNormalPosition.right, 651);
  EXPECT_EQ(placement.rcNormalPosition.bottom, 338);
}

TEST_F(WinStartWindows, SetupWindowFrameOwnerTitleAndSize) {
  const LONG style = GetWindowLongW(Setup(), GWL_STYLE);
  const LONG ex = GetWindowLongW(Setup(), GWL_EXSTYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU),
            WS_CAPTION | WS_THICKFRAME | WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP | WS_CHILD));
  EXPECT_FALSE(ex & (WS_EX_APPWINDOW | WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
  EXPECT_EQ(GetWindow(Setup(), GW_OWNER), Bg());
  EXPECT_FALSE(IsWindowVisible(Setup()));

  wchar_t title[64] = L"";
  GetWindowTextW(Setup(), title, 64);
  EXPECT_STREQ(title, L"Marlek Setup");

  RECT client{};
  GetClientRect(Setup(), &client);
  EXPECT_EQ(client.right - client.left, 679);
  EXPECT_EQ(client.bottom - client.top, 609);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(Setup(), WM_GETICON, ICON_BIG, 0)), icon_);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(Bg(), WM_GETICON, ICON_BIG, 0)), icon_);
}

TEST_F(WinStartWindows, CloseAndSessionMessagesReachTheRightExit) {
  SendMessageW(Setup(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app_.calls, std::vector<std::string>{"ExitSetup"});
  EXPECT_TRUE(IsWindow(Setup()));

  app_.calls.clear();
  SendMessageW(Bg(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app_.calls, std::vector<std::string>{"Terminate"});
  EXPECT_TRUE(IsWindow(Bg())) << "a close request only asks the loop to stop";

  app_.calls.clear();
  EXPECT_EQ(SendMessageW(Bg(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(SendMessageW(Setup(), WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageW(Bg(), WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(app_.calls.empty()) << "a cancelled session end changes nothing";
  SendMessageW(Bg(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(app_.calls, (std::vector<std::string>{"Terminate", "ExitSetup"}));
}

TEST_F(WinStartWindows, FirstActivationShowsTheSetupWindowCentredOnTheWorkArea) {
  StartShowing();
  EXPECT_TRUE(IsZoomed(Bg()));
  EXPECT_FALSE(IsIconic(Setup()));

  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(Bg(), MONITOR_DEFAULTTONEAREST), &monitor));
  const RECT r = WindowRect(Setup());
  const ScreenPoint expected = CentredOrigin(
      {monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right, monitor.rcWork.bottom},
      r.right - r.left, r.bottom - r.top,
      {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)});
  EXPECT_EQ(r.left, expected.x);
  EXPECT_EQ(r.top, expected.y);
  EXPECT_TRUE(errors_.messages.empty());
}

TEST_F(WinStartWindows, ActivatingTheBackgroundLeavesTheSetupWindowActiveWhereTheUserPutIt) {
  StartShowing();
  ASSERT_TRUE(SetWindowPos(Setup(), nullptr, 37, 51, 700, 650, SWP_NOZORDER));
  const RECT moved = WindowRect(Setup());

  for (int round = 0; round < 3; ++round) {
    SetActiveWindow(Bg());
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == Setup(); })) << "round " << round;
    PumpFor(100);
    EXPECT_EQ(GetActiveWindow(), Setup()) << "the activation must settle on the setup window";
    const RECT now = WindowRect(Setup());
    EXPECT_EQ(now.left, moved.left);
    EXPECT_EQ(now.top, moved.top);
    EXPECT_EQ(now.right, moved.right);
    EXPECT_EQ(now.bottom, moved.bottom);
  }
  // In front: the first visible top-level window of the thread in z-order is the setup window.
  HWND top = GetTopWindow(nullptr);
  while (top && !(IsWindowVisible(top) && (top == Setup() || top == Bg())))
    top = GetWindow(top, GW_HWNDNEXT);
  EXPECT_EQ(top, Setup());
}

TEST_F(WinStartWindows, HiddenSetupWindowIsShownAgainButNotRecentred) {
  StartShowing();
  ASSERT_TRUE(SetWindowPos(Setup(), nullptr, 12, 34, 0, 0, SWP_NOZORDER | SWP_NOSIZE));
  ShowWindow(Setup(), SW_HIDE);
  SetActiveWindow(Bg());
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(Setup()) && GetActiveWindow() == Setup(); }));
  const RECT r = WindowRect(Setup());
  EXPECT_EQ(r.left, 12);
  EXPECT_EQ(r.top, 34);
}

TEST_F(WinStartWindows, DetachedSetupWindowIsLeftAlone) {
  StartShowing();
  background_->DetachSetupWindow();
  ShowWindow(Setup(), SW_HIDE);
  SetActiveWindow(Bg());
  PumpFor(300);
  EXPECT_FALSE(IsWindowVisible(Setup()));
  EXPECT_EQ(GetActiveWindow(), Bg());
}

TEST(WinStartWindowClass, RegistrationFailureIsAnErrorAndTheNameIsFreedAgain) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  {
    WindowClass first(instance, L"WinStartTestClass", nullptr, nullptr);
    EXPECT_THROW(WindowClass(instance, L"WinStartTestClass", nullptr, nullptr), std::runtime_error);
    WindowClass moved(std::move(first));
    EXPECT_EQ(first.Name(), nullptr);
  }
  EXPECT_NO_THROW(WindowClass(instance, L"WinStartTestClass", nullptr, nullptr));
}

}  // namespace
