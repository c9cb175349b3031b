#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "logic/app_control.h"
#include "logic/download_control.h"
#include "logic/edition.h"
#include "logic/platform.h"
#include "logic/setup_form.h"
#include "logic/setup_view.h"

// A window that records what the logic does to it. The download page starts as designed:
// running message and progress bar shown, failure message and retry button hidden.
class RecordingView : public SetupView {
public:
  struct TextWrite {
    Control control;
    std::wstring text;
  };
  struct VisibleChange {
    Control control;
    bool visible;
  };
  struct PageChange {
    TSetupPage page;
  };
  using Event = std::variant<TextWrite, VisibleChange, PageChange>;

  explicit RecordingView(const SetupValues& values) : values_(values) {
    visible[Control::lblDownloadHeader] = true;
    visible[Control::ProgressBar1] = true;
    visible[Control::lblNoConnection] = false;
    visible[Control::pnlBtnRety] = false;
    visible[Control::imgTumo] = true;
    visible[Control::imgRilo] = false;
    visible[Control::pnlBtnCancelDownload] = true;
  }

  void SetText(Control c, const std::wstring& text) override {
    texts[c] = text;
    languageAtWrite.push_back(values_.UiLanguage);
    events.push_back(TextWrite{c, text});
  }
  std::wstring GetText(Control c) const override {
    const auto it = texts.find(c);
    return it == texts.end() ? std::wstring{} : it->second;
  }
  void SetVisible(Control c, bool v) override {
    visible[c] = v;
    events.push_back(VisibleChange{c, v});
  }
  void ShowPage(TSetupPage page) override {
    shownPage = page;
    events.push_back(PageChange{page});
  }
  void SetProgressMax(std::int32_t max) override { progressMax = max; }
  void SetProgressPosition(std::int32_t position) override { progressPosition = position; }
  int ProgressWidth() override { return 0x7FFFFFFF; }

  std::vector<TextWrite> TextWrites() const {
    std::vector<TextWrite> out;
    for (const auto& e : events)
      if (const auto* w = std::get_if<TextWrite>(&e)) out.push_back(*w);
    return out;
  }
  std::vector<TSetupPage> PagesShown() const {
    std::vector<TSetupPage> out;
    for (const auto& e : events)
      if (const auto* p = std::get_if<PageChange>(&e)) out.push_back(p->page);
    return out;
  }
  bool FailureStateShown() const {
    return !visible.at(Control::lblDownloadHeader) && !visible.at(Control::ProgressBar1) &&
           visible.at(Control::lblNoConnection) && visible.at(Control::pnlBtnRety) &&
           visible.at(Control::pnlBtnCancelDownload);
  }
  bool MadeVisible(Control c) const {
    return std::any_of(events.begin(), events.end(), [c](const Event& e) {
      const auto* change = std::get_if<VisibleChange>(&e);
      return change && change->control == c && change->visible;
    });
  }

  std::map<Control, std::wstring> texts;
  std::map<Control, bool> visible;
  std::vector<Event> events;
  std::vector<TUiLanguage> languageAtWrite;
  std::optional<TSetupPage> shownPage;
  std::int32_t progressMax = 100;
  std::int32_t progressPosition = 0;

private:
  const SetupValues& values_;
};

class FakePlatform : public SetupPlatform {
public:
  // What the locale query writes (NUL appended) and returns; returnOverride replaces the count.
  std::wstring localeName = L"ENU";
  std::optional<int> returnOverride;
  bool localeThrows = false;
  std::wstring moduleFile = L"C:\\Program Files\\Marlek\\start.exe";
  bool moduleThrows = false;
  bool shellThrows = false;
  std::vector<std::wstring> opened;
  int lastCapacity = -1;
  std::vector<wchar_t> bufferSeen;

  int GetLocaleAbbrevLangName(wchar_t* buffer, int capacity) override {
    lastCapacity = capacity;
    bufferSeen.assign(buffer, buffer + capacity);
    if (localeThrows) throw std::runtime_error("locale query failed");
    const auto n = std::min<std::size_t>(localeName.size(), static_cast<std::size_t>(capacity - 1));
    localeName.copy(buffer, n);
    buffer[n] = L'\0';
    return returnOverride ? *returnOverride : static_cast<int>(n + 1);
  }
  std::wstring ModuleFileName() override {
    if (moduleThrows) throw std::runtime_error("no module name");
    return moduleFile;
  }
  void ShellOpen(const std::wstring& target) override {
    opened.push_back(target);
    if (shellThrows) throw std::runtime_error("shell failed");
  }
};

// Records exits and attempts, the calls in order; onExit and onDownload stand in for the exit and
// a download attempt and may throw or run nested handlers.
class FakeApp : public AppControl, public DownloadControl {
public:
  int exits = 0;
  int terminates = 0;
  int downloads = 0;
  std::vector<std::string> calls;
  std::function<void()> onExit;
  std::function<void(DownloadPage&)> onDownload;

  void ExitSetup() override {
    ++exits;
    calls.push_back("ExitSetup");
    if (onExit) onExit();
  }
  void Terminate() override {
    ++terminates;
    calls.push_back("Terminate");
  }
  void DownloadAndRun(DownloadPage& page) override {
    ++downloads;
    if (onDownload) onDownload(page);
  }
};

// An attempt that fails at once, as without a connection.
inline void FailedAttempt(DownloadPage& page) {
  page.ShowDownloadPage();
  page.ShowConnectionError();
}

// A setup form over the fakes, with its own edition and language.
struct FormHarness {
  explicit FormHarness(TSetupEdition edition = seDirectInstall) { values.SetupEdition = edition; }
  FormHarness(const FormHarness&) = delete;
  FormHarness& operator=(const FormHarness&) = delete;

  SetupValues values;
  RecordingView view{values};
  FakePlatform platform;
  FakeApp app;
  SetupForm form{view, platform, app, app, values};

  // The page the window was last told to show; throws when none was shown yet.
  TSetupPage Shown() const { return view.shownPage.value(); }
};
