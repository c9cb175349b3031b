// The controller wired to the real setup form, as the window wires them: retry, language
// switch and install action arrive through the form's click handlers.
#include <gtest/gtest.h>

#include <array>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "download/download_and_run.h"
#include "tests/support/download_fakes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/program_image.h"
#include "tests/support/replies.h"
#include "logic/setup_form.h"
#include "tests/support/fakes.h"

namespace fs = std::filesystem;
using testsupport::LoopbackServer;
using testsupport::Response;
using testsupport::Script;
using testsupport::Serve;
using testsupport::Trickle;
using testsupport::WithLength;

namespace {

const std::string kInstaller = testsupport::ProgramImage(0x600);

class FormWiring : public InstallerFolderTest {
protected:
  void Wire(const LoopbackServer& server) {
    http::Settings settings = InstallerDownload::DefaultSettings();
    settings.readTimeoutMs = 3000;
    download_ = std::make_unique<InstallerDownload>(
        values_, [this] { app_.Terminate(); },
        [this] {
          if (pump_) pump_();
        },
        platform_, server.host(), settings);
    form_ = std::make_unique<SetupForm>(view_, setup_, app_, *download_, values_);
    form_->ShowStartPage();
  }

  SetupValues values_{seDirectInstall, ulGerman};
  RecordingView view_{values_};
  FakePlatform setup_;
  FakeApp app_;
  std::unique_ptr<InstallerDownload> download_;
  std::unique_ptr<SetupForm> form_;
  std::function<void()> pump_;
};

TEST_F(FormWiring, ARetryAfterAFailureShowsThePageRunningAgain) {
  LoopbackServer server(
      std::vector<Script>{Serve({WithLength(503, "busy")}), Serve({WithLength(200, kInstaller)})});
  Wire(server);
  form_->lblWindowsClick();
  EXPECT_EQ(view_.shownPage, tsh3);
  EXPECT_TRUE(view_.FailureStateShown());
  EXPECT_EQ(app_.terminates, 0);

  view_.events.clear();
  form_->pnlBtnRetyClick();
  EXPECT_EQ(app_.terminates, 1);
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), kInstaller);
  EXPECT_TRUE(view_.MadeVisible(Control::lblDownloadHeader));
  EXPECT_TRUE(view_.visible.at(Control::ProgressBar1));
  EXPECT_TRUE(view_.visible.at(Control::pnlBtnCancelDownload));
  EXPECT_FALSE(view_.visible.at(Control::pnlBtnRety));
  EXPECT_FALSE(view_.visible.at(Control::lblNoConnection));
  EXPECT_EQ(view_.progressMax, 1536);
  EXPECT_EQ(view_.progressPosition, 1536);
}

TEST_F(FormWiring, LanguageSwitchAndInstallActionDuringATransfer) {
  LoopbackServer server(Trickle(Response(200, "Content-Length: 1536\r\n"), kInstaller, 600));
  Wire(server);
  bool clicked = false;
  pump_ = [&] {
    if (clicked) return;
    clicked = true;
    form_->Image3Click();  // English, back to the start page
    EXPECT_EQ(view_.shownPage, tsh0);
    form_->lblWindowsClick();  // starts nothing, shows the download page again
  };
  form_->lblWindowsClick();

  ASSERT_TRUE(clicked);
  EXPECT_EQ(values_.UiLanguage, ulEnglish);
  EXPECT_EQ(server.connections(), 1);
  EXPECT_EQ(view_.PagesShown(), (std::vector<TSetupPage>{tsh0, tsh3, tsh0, tsh3}));
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), kInstaller);
  EXPECT_EQ(platform_.launched, std::vector<std::wstring>{dir_.wstring() + L"/marlek-tumo.exe"});
  EXPECT_EQ(app_.terminates, 1);
}

}  // namespace
