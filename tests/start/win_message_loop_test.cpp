#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "start/message_loop_win.h"
#include "tests/support/recording_errors_win.h"
#include "ui/window_base_win.h"

namespace {

// A hidden window whose WM_APP.. messages go to a test's handler.
class ProbeWindow : public WindowBase {
public:
  using Handler = std::function<LRESULT(UINT, WPARAM)>;
  ProbeWindow(HandlerErrors& errors, Handler handler)
      : WindowBase(errors),
        handler_(std::move(handler)),
        class_(GetModuleHandleW(nullptr), L"WinStartProbe", nullptr, nullptr) {
    CreateNative(0, class_, L"probe", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                 GetModuleHandleW(nullptr));
  }
  ~ProbeWindow() override { Destroy(); }

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg >= WM_APP && msg < 0xC000) return handler_(msg, wParam);
    return WindowBase::HandleMessage(msg, wParam, lParam);
  }

private:
  Handler handler_;
  WindowClass class_;
};

void DrainQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(WinStartHandlerErrors, AnErrorEscapingAHandlerIsReportedAndTheWindowGoesOn) {
  MessageRecordingErrors errors;
  int handled = 0;
  ProbeWindow window(errors, [&](UINT msg, WPARAM) -> LRESULT {
    ++handled;
    if (msg == WM_APP) throw std::runtime_error("handler failed");
    return 7;
  });
  EXPECT_EQ(SendMessageW(window.Handle(), WM_APP, 0, 0), 0);
  ASSERT_EQ(errors.messages, std::vector<std::string>{"handler failed"});
  EXPECT_TRUE(IsWindow(window.Handle()));
  EXPECT_EQ(SendMessageW(window.Handle(), WM_APP + 1, 0, 0), 7);
  EXPECT_EQ(handled, 2);
}

TEST(WinStartMessageLoop, RetrievalStepHandlesOneMessageAndNeverWaits) {
  DrainQueue();
  MessageRecordingErrors errors;
  std::vector<UINT> seen;
  ProbeWindow window(errors, [&](UINT msg, WPARAM) -> LRESULT {
    seen.push_back(msg);
    return 0;
  });
  DrainQueue();
  MessageLoop loop(errors);
  EXPECT_FALSE(loop.ProcessMessage());

  PostMessageW(window.Handle(), WM_APP + 1, 0, 0);
  PostMessageW(window.Handle(), WM_APP + 2, 0, 0);
  EXPECT_TRUE(loop.ProcessMessage());
  EXPECT_EQ(seen, std::vector<UINT>{WM_APP + 1});

  const ULONGLONG before = GetTickCount64();
  loop.ProcessMessages();
  EXPECT_LT(GetTickCount64() - before, 500u);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
  EXPECT_FALSE(loop.QuitRequested());

  PostQuitMessage(0);
  loop.ProcessMessages();
  EXPECT_TRUE(loop.QuitRequested());
  EXPECT_TRUE(errors.messages.empty());
}

// A quit retrieved by a nested pump inside a handler only sets the flag: the handler runs to
// its end, and the outer loop stops after it.
TEST(WinStartMessageLoop, QuitRetrievedInsideAHandlerStopsTheOuterLoopAfterIt) {
  DrainQueue();
  MessageRecordingErrors errors;
  std::vector<std::string> log;
  MessageLoop* loopRef = nullptr;
  ProbeWindow window(errors, [&](UINT msg, WPARAM) -> LRESULT {
    switch (msg) {
      case WM_APP:  // a click handler that blocks and pumps, like the download
        PostQuitMessage(0);
        log.push_back("pump");
        for (int i = 0; i < 3; ++i) loopRef->ProcessMessages();
        log.push_back(loopRef->QuitRequested() ? "flag set" : "flag clear");
        log.push_back("handler done");
        return 0;
      case WM_APP + 1: log.push_back("nested"); return 0;
      case WM_APP + 2: throw std::runtime_error("thrown in the loop");
      case WM_APP + 3:
        log.push_back("safety stop");
        PostQuitMessage(0);
        return 0;
    }
    return 0;
  });
  MessageLoop loop(errors);
  loopRef = &loop;
  const HWND hwnd = window.Handle();
  PostMessageW(hwnd, WM_APP + 2, 0, 0);
  PostMessageW(hwnd, WM_APP, 0, 0);
  PostMessageW(hwnd, WM_APP + 1, 0, 0);
  std::atomic<bool> stopped{false};
  std::thread safety([hwnd, &stopped] {
    for (int i = 0; i < 100 && !stopped; ++i) Sleep(50);
    if (!stopped) PostMessageW(hwnd, WM_APP + 3, 0, 0);
  });
  loop.Run();
  stopped = true;
  safety.join();
  const bool quitBeforeSafety = log.empty() || log.back() != "safety stop";
  DrainQueue();

  EXPECT_TRUE(quitBeforeSafety);
  EXPECT_EQ(log, (std::vector<std::string>{"pump", "nested", "flag set", "handler done"}));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"thrown in the loop"});
}

}  // namespace
