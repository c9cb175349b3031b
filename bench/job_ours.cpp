// The shipped program's job without its setup window: the same download controller, HTTP client,
// body buffer, save and shell hand-over, with a progress bar in a window that the download's pump
// serves through the program's own message loop.
// job_ours HOST:PORT prints "result job transfer_ms save_ms" (save includes starting the file).
#include <windows.h>
#include <commctrl.h>
#include <winsock2.h>

#include <cstdio>
#include <string>

#include "download/download_and_run.h"
#include "start/message_loop_win.h"
#include "ui/progress_bar_win.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

class ProgressPage : public DownloadPage, public ProgressDisplay {
public:
  explicit ProgressPage(HWND window) : bar_(window, RECT{10, 10, 370, 30}) {}
  void ShowDownloadPage() override {}
  void ShowConnectionError() override { failed = true; }
  ProgressDisplay& Progress() override { return *this; }
  int ProgressWidth() override { return bar_.Width(); }
  void SetProgressMax(std::int32_t max) override {
    bar_.SetMax(max);
    max_ = max;
  }
  void SetProgressPosition(std::int32_t position) override {
    bar_.SetPosition(position);
    if (position == max_) received = Now();
  }
  bool failed = false;
  double received = 0;

private:
  ProgressBar bar_;
  std::int32_t max_ = -1;
};

class QuietErrors : public HandlerErrors {
public:
  void Report(std::exception_ptr) noexcept override {}
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double start = Now();
  if (argc != 2) {
    std::fprintf(stderr, "usage: job_ours HOST:PORT\n");
    return 2;
  }
  char host[256];
  std::snprintf(host, sizeof host, "%ls", argv[1]);
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 1;
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  HWND window = CreateWindowExW(0, L"STATIC", L"job", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);

  QuietErrors errors;
  MessageLoop loop(errors);
  ProgressPage page(window);
  SetupValues values;
  InstallerDownload download(
      values, [] {}, [&loop] { loop.ProcessMessages(); }, NativeInstallerPlatform(), host,
      InstallerDownload::DefaultSettings());
  download.DownloadAndRun(page);
  const double done = Now();
  if (page.failed || page.received == 0) {
    std::fprintf(stderr, "job_ours: the download failed\n");
    return 1;
  }
  std::printf("result job %.1f %.1f\n", page.received - start, done - page.received);
  return 0;
}
