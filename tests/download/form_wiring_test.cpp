// The controller wired to the real setup form, as the window wires them: retry, language
// switch and install action arrive through the form's click handlers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "download/download_and_run.h"
#include "tests/download/controller_fakes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/program_image.h"
#include "tests/support/replies.h"
#include "logic/setup_form.h"

namespace fs = std::filesystem;
using testsupport::LoopbackServer;
using testsupport::Response;
using testsupport::Script;
using testsupport::Serve;
using testsupport::Trickle;
using testsupport::WithLength;

namespace {

const std::string kInstaller = testsupport::ProgramImage(0x600);

// The window as the form leaves it: visibility per control, the pages shown, the progress.
class ControlsView : public SetupView {
public:
  ControlsView() { visible.fill(true); }
  void SetText(Control, const std::wstring&) override {}
  std::wstring GetText(Control) const override { return {}; }
  void SetVisible(Control c, bool shown) override {
    visible[static_cast<std::size_t>(c)] = shown;
    if (c == Control::lblDownloadHeader && shown) runningMessageShown = true;
  }
  void ShowPage(TSetupPage page) override { pages.push_back(page); }
  void SetProgressMax(std::int32_t value) override { max = value; }
  void SetProgressPosition(std::int32_t value) override { position = value; }

  bool Visible(Control c) const { return visible[static_cast<std::size_t>(c)]; }
  bool InFailureState() const {
    return Visible(Control::lblNoConnection) && Visible(Control::pnlBtnRety) &&
           Visible(Control::pnlBtnCancelDownload) && !Visible(Control::lblDownloadHeader) &&
           !Visible(Control::ProgressBar1);
  }

  std::array<bool, kControlCount> visible{};
  bool runningMessageShown = false;
  std::vector<TSetupPage> pages;
  std::int32_t max = -1;
  std::int32_t position = -1;
};

class NoShellPlatform : public SetupPlatform {
public:
  int GetLocaleAbbrevLangName(wchar_t* buffer, int capacity) override {
    if (capacity < 4) return 0;
    std::wcscpy(buffer, L"DEU");
    return 4;
  }
  std::wstring ModuleFileName() override { return L"/opt/start/start.exe"; }
  void ShellOpen(const std::wstring&) override {}
};

class InstallerOnly : public InstallerPlatform {
public:
  std::wstring TempFolder() override { return folder; }
  void SaveFile(const std::wstring& path, const char* data, std::size_t size) override {
    NativeInstallerPlatform().SaveFile(path, data, size);
  }
  std::unique_ptr<HeldInstaller> HoldFile(const std::wstring& path) override {
    return NativeInstallerPlatform().HoldFile(path);
  }
  void RemoveFile(const std::wstring& path) override { NativeInstallerPlatform().RemoveFile(path); }
  void ShellOpen(const std::wstring& path) override { launched.push_back(path); }
  std::wstring folder;
  std::vector<std::wstring> launched;
};

class Wiring : public AppControl {
public:
  void ExitSetup() override { ++exits; }
  void Terminate() override { ++terminates; }
  int exits = 0;
  int terminates = 0;
};

class FormWiring : public testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "wiring-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    installer_.folder = dir_.wstring() + L"/";
    form_.ShowStartPage();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Wire(const LoopbackServer& server) {
    http::Settings settings = InstallerDownload::DefaultSettings();
    settings.readTimeoutMs = 3000;
    download_ = std::make_unique<InstallerDownload>(
        form_, values_, [this] { app_.Terminate(); },
        [this] {
          if (pump_) pump_();
        },
        installer_, server.host(), settings);
    form_.ConnectDownload(*download_);
  }

  fs::path dir_;
  ControlsView view_;
  NoShellPlatform platform_;
  Wiring app_;
  SetupValues values_{seDirectInstall, ulGerman};
  SetupForm form_{view_, platform_, app_, values_};
  InstallerOnly installer_;
  std::unique_ptr<InstallerDownload> download_;
  std::function<void()> pump_;
};

TEST_F(FormWiring, RetryAfterAFailureSucceedsWithTheFailureStateStillShown) {
  LoopbackServer server(
      std::vector<Script>{Serve({WithLength(503, "busy")}), Serve({WithLength(200, kInstaller)})});
  Wire(server);
  form_.lblWindowsClick();
  EXPECT_EQ(view_.pages.back(), tsh3);
  EXPECT_TRUE(view_.InFailureState());
  EXPECT_EQ(app_.terminates, 0);

  form_.pnlBtnRetyClick();
  EXPECT_EQ(app_.terminates, 1);
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), kInstaller);
  EXPECT_TRUE(view_.InFailureState());
  EXPECT_FALSE(view_.runningMessageShown);
  EXPECT_EQ(view_.max, 1536);  // progress still reaches the hidden bar
  EXPECT_EQ(view_.position, 1536);
}

TEST_F(FormWiring, LanguageSwitchAndInstallActionDuringATransfer) {
  LoopbackServer server(Trickle(Response(200, "Content-Length: 1536\r\n"), kInstaller, 600));
  Wire(server);
  bool clicked = false;
  pump_ = [&] {
    if (clicked) return;
    clicked = true;
    form_.Image3Click();  // English, back to the start page
    EXPECT_EQ(view_.pages.back(), tsh0);
    form_.lblWindowsClick();  // starts nothing, shows the download page again
  };
  form_.lblWindowsClick();

  ASSERT_TRUE(clicked);
  EXPECT_EQ(values_.UiLanguage, ulEnglish);
  EXPECT_EQ(server.connections(), 1);
  EXPECT_EQ(view_.pages, (std::vector<TSetupPage>{tsh0, tsh3, tsh0, tsh3}));
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), kInstaller);
  EXPECT_EQ(installer_.launched, std::vector<std::wstring>{dir_.wstring() + L"/marlek-tumo.exe"});
  EXPECT_EQ(app_.terminates, 1);
}

}  // namespace
