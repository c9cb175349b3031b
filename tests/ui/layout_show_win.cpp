// layout_show.exe FOLDER: shows the setup window on every page, in both languages and every
// edition, one after the other, for screenshots. For each state it writes FOLDER\ready holding
// the state's name (edition-language-page), then waits until FOLDER\ack exists, deletes it and
// goes on; after the last state FOLDER\ready holds "done". Ends with 1 if no ack comes. Each
// window is also checked against the layout at the screen's resolution: every control in its
// scaled box and, where it is at 96 DPI, inside the client area; a mismatch is printed and the
// program ends with 3.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "base/handles_win.h"
#include "tests/ui/expected_layout_win.h"
#include "tests/ui/layout_fixture_win.h"
#include "tests/support/pump_win.h"

namespace {

constexpr DWORD kAckTimeoutMs = 30000;

void Announce(const std::wstring& folder, const std::string& name) {
  const std::wstring tmp = folder + L"\\ready.tmp";
  std::ofstream(tmp.c_str()) << name;
  MoveFileExW(tmp.c_str(), (folder + L"\\ready").c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool AwaitAck(const std::wstring& folder) {
  const std::wstring ack = folder + L"\\ack";
  for (DWORD waited = 0; waited < kAckTimeoutMs; waited += 50) {
    if (DeleteFileW(ack.c_str())) return true;
    PumpFor(50);
  }
  return false;
}

// A white window over the whole screen, as the program's background window looks.
WindowHandle WhiteBackdrop() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"LayoutShowBackdrop";
  RegisterClassW(&wc);
  return WindowHandle(CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                      nullptr, nullptr, wc.hInstance, nullptr));
}

struct State {
  TSetupPage page;
  bool failed;
  const char* name;
};

constexpr State kStates[] = {
    {tsh0, false, "tsh0"}, {tsh1, false, "tsh1"},       {tsh2, false, "tsh2"},
    {tsh3, false, "tsh3"}, {tsh3, true, "tsh3-failed"}, {tsh4, false, "tsh4"},
    {tsh5, false, "tsh5"},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring folder = argv[1];
  const std::pair<TSetupEdition, const char*> editions[] = {{seChoosePlatform, "seChoosePlatform"},
                                                            {seDirectInstall, "seDirectInstall"},
                                                            {seCompanion, "seCompanion"}};
  const std::pair<TUiLanguage, const char*> languages[] = {{ulGerman, "de"}, {ulEnglish, "en"}};
  const WindowHandle backdrop = WhiteBackdrop();
  const int dpi = DpiScale::ForScreen().dpi();
  bool mismatch = false;
  for (const auto& [edition, editionName] : editions)
    for (const auto& [language, languageName] : languages)
      for (const State& state : kStates) {
        LayoutWindow w(edition);
        w.Logic().ApplyLanguage(language);
        w.Logic().ShowPage(state.page);
        if (state.failed) {
          w.Logic().ShowConnectionError();
        } else {
          for (const std::string& line : expected::Mismatches(w.Form(), w.View(), edition, dpi)) {
            std::fprintf(stderr, "layout_show: %d DPI, %s-%s-%s: %s\n", dpi, editionName,
                         languageName, state.name, line.c_str());
            mismatch = true;
          }
        }
        RECT frame;
        GetWindowRect(w.Form(), &frame);
        const int x = (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2;
        SetWindowPos(w.Form(), HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(w.Form());
        PumpFor(400);
        Announce(folder, std::string(editionName) + "-" + languageName + "-" + state.name);
        if (!AwaitAck(folder)) return 1;
      }
  Announce(folder, "done");
  return mismatch ? 3 : 0;
}
