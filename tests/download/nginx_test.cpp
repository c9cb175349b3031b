#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <tuple>

#include "tests/support/download_fakes.h"
#include "download/download_and_run.h"
#include "logic/edition.h"
#include "tests/support/program_image.h"

namespace fs = std::filesystem;

namespace {

bool Accepts(std::uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// nginx from scripts/loopback-nginx.sh with its configuration under the build tree.
class Nginx {
public:
  explicit Nginx(const fs::path& prefix) : prefix_(prefix) {
    for (int attempt = 0; attempt < 3 && !ready_; ++attempt) Start();
  }
  ~Nginx() { Stop(); }
  Nginx(const Nginx&) = delete;
  Nginx& operator=(const Nginx&) = delete;

  bool ready() const { return ready_; }
  std::uint16_t port() const { return port_; }

private:
  void Start() {
    const std::string dir = prefix_.string();
    const char* argv[] = {"bash",
                          START_NGINX_SCRIPT,
                          dir.c_str(),
                          "access_log off;",
                          "location = /prg/pavo.exe { return 302 /files/pavo.bin; }",
                          nullptr};
    fs::remove(prefix_ / "port");
    if (posix_spawnp(&pid_, "bash", nullptr, nullptr, const_cast<char* const*>(argv), environ) !=
        0) {
      pid_ = -1;
      return;
    }
    for (int i = 0; i < 100; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;  // the port was taken meanwhile, or the configuration was refused
        return;
      }
      std::uint16_t port = 0;
      std::ifstream(prefix_ / "port") >> port;
      if (port != 0 && Accepts(port)) {
        port_ = port;
        ready_ = true;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Stop();
  }

  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  fs::path prefix_;
  pid_t pid_ = -1;
  std::uint16_t port_ = 0;
  bool ready_ = false;
};

class NginxDownload : public testing::Test {
protected:
  static void SetUpTestSuite() {
    // One prefix per process: ctest may run several of these tests at once.
    prefix_ = fs::path(START_TEST_SCRATCH) / ("nginx-" + std::to_string(getpid()));
    const fs::path& prefix = prefix_;
    fs::remove_all(prefix);
    WriteFile(prefix / "www/prg/tumo.exe", testsupport::ProgramImage(1000003));
    WriteFile(prefix / "www/files/pavo.bin", testsupport::ProgramImage(70001, {true, 0x200}));
    WriteFile(prefix / "www/prg/rilo-en.exe", "");
    server_ = std::make_unique<Nginx>(prefix);
  }
  static void TearDownTestSuite() {
    server_.reset();
    fs::remove_all(prefix_);
  }

  void SetUp() override {
    ASSERT_TRUE(server_->ready()) << "nginx did not start; see " << (prefix_ / "error.log");
    target_ = fs::path(START_TEST_SCRATCH) /
              testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(target_);
    fs::create_directories(target_);
    platform_.folder = target_.wstring() + L"/";
  }
  void TearDown() override { fs::remove_all(target_); }

  void Run(TSetupEdition edition, TUiLanguage language) {
    const SetupValues values{edition, language};
    http::Settings settings = InstallerDownload::DefaultSettings();
    settings.readTimeoutMs = 5000;
    InstallerDownload controller(
        values, [this] { ++terminated_; }, nullptr, platform_,
        "127.0.0.1:" + std::to_string(server_->port()), settings);
    controller.DownloadAndRun(page_);
  }

  static fs::path Served(const char* path) { return prefix_ / "www" / path; }

  static fs::path prefix_;
  static std::unique_ptr<Nginx> server_;
  fs::path target_;
  RecordingPage page_;
  TestPlatform platform_{L""};
  int terminated_ = 0;
};

fs::path NginxDownload::prefix_;
std::unique_ptr<Nginx> NginxDownload::server_;

TEST_F(NginxDownload, GermanInstallerArrivesWhole) {
  Run(seDirectInstall, ulGerman);
  EXPECT_EQ(ReadAll(target_ / "marlek-tumo.exe"), ReadAll(Served("prg/tumo.exe")));
  EXPECT_EQ(platform_.launched.size(), 1u);
  EXPECT_EQ(terminated_, 1);
  EXPECT_EQ(page_.Count("max 1000003"), 1);
  EXPECT_EQ(page_.calls.back(), "pos 1000003");
}

TEST_F(NginxDownload, EnglishInstallerFollowsTheRedirect) {
  Run(seDirectInstall, ulEnglish);
  EXPECT_EQ(ReadAll(target_ / "marlek-ward-pilot.exe"), ReadAll(Served("files/pavo.bin")));
  EXPECT_FALSE(fs::exists(target_ / "marlek-tumo.exe"));
  EXPECT_EQ(terminated_, 1);
}

TEST_F(NginxDownload, MissingInstallerFails) {
  Run(seCompanion, ulGerman);
  EXPECT_EQ(page_.Count("error"), 1);
  EXPECT_TRUE(platform_.launched.empty());
  EXPECT_FALSE(fs::exists(target_ / "marlek-rilo.exe"));
}

TEST_F(NginxDownload, EmptyInstallerFails) {
  Run(seCompanion, ulEnglish);
  EXPECT_EQ(page_.Count("error"), 1);
  EXPECT_EQ(terminated_, 0);
  EXPECT_FALSE(fs::exists(target_ / "marlek-rilo.exe"));
}

}  // namespace
