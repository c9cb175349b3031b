#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <span>
#include <string>

#include "download/progress_pacer.h"
#include "tests/support/download_fakes.h"
#include "logic/edition.h"
#include "tests/support/loopback_server.h"
#include "tests/support/program_image.h"
#include "tests/support/ranged_file.h"
#include "tests/support/replies.h"

namespace fs = std::filesystem;
using testsupport::Conn;
using testsupport::Ending;
using testsupport::LoopbackServer;
using testsupport::Once;
using testsupport::Response;
using testsupport::Script;
using testsupport::Serve;
using testsupport::Stall;
using testsupport::Trickle;
using testsupport::WithLength;

namespace {

std::string Installer(std::size_t size) { return testsupport::ProgramImage(size); }
// Installers told apart by their size.
const std::string kInstaller = Installer(0x600);
const std::string kOther = Installer(0x700);

struct FailureCase {
  const char* name;
  Script script;
};

class DownloadAndRunTest : public InstallerFolderTest {
protected:
  InstallerDownload Controller(const LoopbackServer& server, std::wstring signer = {}) {
    return InstallerDownload(
        values_, [this] { ++terminated_; },
        [this] {
          if (pump_) pump_();
        },
        platform_, server.host(), Quick(), std::move(signer));
  }

  void ExpectFailed() {
    EXPECT_EQ(page_.Count("error"), 1);
    EXPECT_TRUE(platform_.launched.empty());
    EXPECT_EQ(terminated_, 0);
  }

  void FailACutAttempt(InstallerDownload& controller, const LoopbackServer& server) {
    controller.DownloadAndRun(page_);
    EXPECT_EQ(page_.Count("error"), 1);
    EXPECT_EQ(server.requests().size(), 4u);
    EXPECT_TRUE(fs::is_empty(dir_)) << "nothing partial on disk";
    page_.calls.clear();
  }

  // Each case, served in turn, ends in the failure state with no installer left.
  void ExpectEachFailsAndSavesNothing(std::span<const FailureCase> cases) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      page_.calls.clear();
      LoopbackServer server(c.script);
      Controller(server).DownloadAndRun(page_);
      ExpectFailed();
      EXPECT_FALSE(fs::exists(dir_ / "marlek-tumo.exe"));
    }
  }

  RecordingPage page_;
  int terminated_ = 0;
  std::function<void()> pump_;
  SetupValues values_{seDirectInstall, ulGerman};
};

TEST_F(DownloadAndRunTest, SavesExactlyTheServedBytesLaunchesThemAndQuits) {
  const std::string body = Installer(200000);
  LoopbackServer server(Serve({WithLength(200, body)}));
  auto controller = Controller(server);
  controller.DownloadAndRun(page_);

  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /prg/tumo.exe HTTP/1.1\r\n", 0), 0u)
      << server.requests()[0];
  const fs::path target = dir_ / "marlek-tumo.exe";
  EXPECT_EQ(ReadAll(target), body);
  EXPECT_EQ(platform_.launched, std::vector<std::wstring>{target.wstring()});
  EXPECT_EQ(terminated_, 1);
  ASSERT_FALSE(page_.calls.empty());
  EXPECT_EQ(page_.calls.front(), "show");
  EXPECT_EQ(page_.Count("error"), 0);
  EXPECT_EQ(page_.Count("max 200000"), 1);
  EXPECT_EQ(page_.calls.back(), "pos 200000");
}

// A fast body reaches the page at a pace, not once per block; the position held back when the
// line falls silent is on the page by the first pump of the wait, and the last one at the end.
TEST_F(DownloadAndRunTest, ProgressReachesThePageAtAPaceAndIsCurrentAtEveryPump) {
  const std::string body = Installer(std::size_t{4} << 20);
  const std::string head = Response(200, "Content-Length: " + std::to_string(body.size()) + "\r\n");
  // Up to the end of a block, which the client reports before it waits again.
  const std::size_t kFirst = 64 * 32768 - head.size();
  LoopbackServer server([&](Conn& c) {
    c.ReadRequest();
    c.Send(head + body.substr(0, kFirst));
    c.Silent(600);
    c.Send(body.substr(kFirst));
    c.WaitPeerClose(5000);
  });
  std::vector<std::string> atPumps;
  pump_ = [&] {
    for (auto it = page_.calls.rbegin(); it != page_.calls.rend(); ++it) {
      if (it->rfind("pos ", 0) == 0) {
        atPumps.push_back(*it);
        break;
      }
    }
  };
  const auto start = std::chrono::steady_clock::now();
  Controller(server).DownloadAndRun(page_);
  const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();

  ASSERT_EQ(terminated_, 1);
  EXPECT_EQ(page_.calls.back(), "pos " + std::to_string(body.size()));
  const auto shown = std::count_if(page_.calls.begin(), page_.calls.end(),
                                   [](const std::string& c) { return c.rfind("pos ", 0) == 0; });
  EXPECT_LE(shown, elapsedMs / 30 + 3) << "of " << body.size() / 32768 << " blocks";
  EXPECT_NE(std::find(atPumps.begin(), atPumps.end(), "pos " + std::to_string(kFirst)),
            atPumps.end())
      << "the position before the silence, at a pump during it";
}

TEST_F(DownloadAndRunTest, ReplacesAnExistingLongerFile) {
  std::ofstream(dir_ / "marlek-tumo.exe", std::ios::binary) << std::string(5000, 'x');
  LoopbackServer server(Serve({WithLength(200, kInstaller)}));
  Controller(server).DownloadAndRun(page_);
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), kInstaller);
  EXPECT_EQ(terminated_, 1);
}

TEST_F(DownloadAndRunTest, EveryTransferFailureShowsTheFailureStateAndWritesNothing) {
  const FailureCase cases[] = {
      {"404", Serve({WithLength(404, "missing")})},
      {"500", Serve({WithLength(500, "oops")})},
      {"redirect to https", Serve({WithLength(302, "", "Location: https://127.0.0.1/x\r\n")})},
      {"redirect without Location", Serve({WithLength(301, "")})},
      {"reset inside the body",
       Once(Response(200, "Content-Length: 1000\r\n", std::string(500, 'a')), Ending::Reset)},
      {"silence past the read time-out", Stall("", 4500)},
  };
  ExpectEachFailsAndSavesNothing(cases);
}

TEST_F(DownloadAndRunTest, RefusedConnectionFails) {
  InstallerDownload controller(
      values_, [this] { ++terminated_; }, nullptr, platform_,
      "127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort()), Quick());
  controller.DownloadAndRun(page_);
  ExpectFailed();
}

// An installer of no bytes can never be right, whatever the status says.
TEST_F(DownloadAndRunTest, EmptyBodyIsAFailedAttempt) {
  const FailureCase cases[] = {
      {"204", Serve({"HTTP/1.1 204 No Content\r\n\r\n"})},
      {"200 with length 0", Serve({WithLength(200, "")})},
      {"200 chunked with no data",
       Serve({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n"})},
  };
  ExpectEachFailsAndSavesNothing(cases);
}

// A captive portal answers every request with 200 and its login page; a body without a length
// that a middlebox cuts can end like a whole one.
TEST_F(DownloadAndRunTest, BodyThatIsNoWholeProgramIsNeitherSavedNorStarted) {
  const FailureCase cases[] = {
      {"portal page", Serve({WithLength(200, "<html><body>Please log in</body></html>",
                                        "Content-Type: text/html\r\n")})},
      {"program cut, then an orderly close",
       Once(Response(200, "", Installer(0x4000).substr(0, 0x300)))},
  };
  ExpectEachFailsAndSavesNothing(cases);
}

// The client refuses a body cut short of its announced length, so a truncated installer is
// never saved or started.
TEST_F(DownloadAndRunTest, OrderlyCloseBeforeTheAnnouncedLengthFails) {
  LoopbackServer server(Once(Response(200, "Content-Length: 1000\r\n", std::string(500, 'h'))));
  Controller(server).DownloadAndRun(page_);
  ExpectFailed();
  EXPECT_FALSE(fs::exists(dir_ / "marlek-tumo.exe"));
}

TEST_F(DownloadAndRunTest, TargetThatCannotBeCreatedFails) {
  platform_.folder = (dir_ / "missing").wstring() + L"/";
  LoopbackServer server(Serve({WithLength(200, kInstaller)}));
  Controller(server).DownloadAndRun(page_);
  ExpectFailed();
}

TEST_F(DownloadAndRunTest, WithoutTempFolderTheBareNameLandsInTheCurrentDirectory) {
  platform_.folder.clear();
  const fs::path previous = fs::current_path();
  fs::current_path(dir_);
  LoopbackServer server(Serve({WithLength(200, kInstaller)}));
  Controller(server).DownloadAndRun(page_);
  fs::current_path(previous);
  EXPECT_EQ(platform_.launched, std::vector<std::wstring>{L"marlek-tumo.exe"});
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), kInstaller);
}

TEST_F(DownloadAndRunTest, LanguageChangedMidTransferKeepsUrlAndTarget) {
  const std::string body = Installer(100000);
  // The client pumps while it waits for the body.
  LoopbackServer server(Trickle(Response(200, "Content-Length: 100000\r\n"), body, 600));
  int pumps = 0;
  pump_ = [this, &pumps] {
    ++pumps;
    values_.UiLanguage = ulEnglish;
  };
  Controller(server).DownloadAndRun(page_);

  ASSERT_GT(pumps, 0);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /prg/tumo.exe ", 0), 0u);
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), body);
  EXPECT_FALSE(fs::exists(dir_ / "marlek-ward-pilot.exe"));
}

TEST_F(DownloadAndRunTest, StartRequestDuringAnAttemptOnlyShowsThePage) {
  LoopbackServer server(Trickle(Response(200, "Content-Length: 1536\r\n"), kInstaller, 600));
  auto controller = Controller(server);
  int nested = 0;
  pump_ = [&] {
    if (nested++ == 0) controller.DownloadAndRun(page_);
  };
  controller.DownloadAndRun(page_);

  ASSERT_GT(nested, 0);
  EXPECT_EQ(server.connections(), 1);
  EXPECT_EQ(page_.Count("show"), 2);
  EXPECT_EQ(platform_.launched.size(), 1u);
  EXPECT_EQ(terminated_, 1);
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), kInstaller);
}

TEST_F(DownloadAndRunTest, RetryAfterAFailureSucceedsWithoutResettingThePage) {
  LoopbackServer server(
      std::vector<Script>{Serve({WithLength(500, "")}), Serve({WithLength(200, kOther)})});
  auto controller = Controller(server);
  controller.DownloadAndRun(page_);
  ASSERT_EQ(page_.Count("error"), 1);
  ASSERT_EQ(terminated_, 0);

  page_.calls.clear();
  controller.DownloadAndRun(page_);
  EXPECT_EQ(page_.calls, (std::vector<std::string>{"show", "max 1792", "pos 1792"}));
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), kOther);
  EXPECT_EQ(terminated_, 1);
}

// The first attempt is cut after 100000 bytes, and its three tries for the rest are hung up on;
// the server answers a further range with the rest.
std::vector<Script> CutThenHungUpThrice(const std::string& file) {
  const auto ranged = testsupport::ServeRanged(
      {.body = file, .etag = "\"i1\"", .cutAfter = 100000, .cutConnections = 1});
  const Script hangUp = Once("");
  return {ranged, hangUp, hangUp, hangUp, ranged};
}

TEST_F(DownloadAndRunTest, ARetryGoesOnFromTheBytesOfTheFailedAttempt) {
  const std::string body = Installer(300000);
  LoopbackServer server(CutThenHungUpThrice(body));
  auto controller = Controller(server);
  FailACutAttempt(controller, server);
  controller.DownloadAndRun(page_);
  ASSERT_EQ(server.requests().size(), 5u);
  const std::string retry = server.requests()[4];
  EXPECT_EQ(retry.rfind("GET /prg/tumo.exe HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(retry.find("\r\nRange: bytes=100000-\r\nIf-Range: \"i1\"\r\n\r\n"), std::string::npos)
      << retry;
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), body);
  EXPECT_EQ(terminated_, 1);
  ASSERT_GE(page_.calls.size(), 3u);
  EXPECT_EQ(page_.calls[1], "max 300000");
  EXPECT_GT(std::stoi(page_.calls[2].substr(4)), 100000) << "the bar goes on from the held bytes";
}

TEST_F(DownloadAndRunTest, AnotherInstallerDropsTheHeldBytesAndStartsFromZero) {
  const std::string body = Installer(300000);
  LoopbackServer server(CutThenHungUpThrice(body));
  auto controller = Controller(server);
  FailACutAttempt(controller, server);
  values_.UiLanguage = ulEnglish;
  controller.DownloadAndRun(page_);
  ASSERT_EQ(server.requests().size(), 5u);
  EXPECT_EQ(server.requests()[4].rfind("GET /prg/pavo.exe HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(server.requests()[4].find("Range:"), std::string::npos);
  EXPECT_EQ(ReadAll(dir_ / "marlek-ward-pilot.exe"), body);
}

TEST_F(DownloadAndRunTest, ConnectionIsClosedWhenTheAttemptEnds) {
  std::promise<bool> closed;
  LoopbackServer server([&closed](Conn& conn) {
    if (conn.ReadRequest().empty()) return;
    conn.Send(WithLength(404, "gone"));
    closed.set_value(conn.WaitPeerClose(3000));
  });
  Controller(server).DownloadAndRun(page_);
  auto result = closed.get_future();
  ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_TRUE(result.get());
}

TEST_F(DownloadAndRunTest, ErrorBeforeTheGuardedStepsReachesTheCaller) {
  LoopbackServer server(Serve({WithLength(200, kInstaller)}));
  auto controller = Controller(server);
  platform_.exhausted = true;
  EXPECT_THROW(controller.DownloadAndRun(page_), std::bad_alloc);
  EXPECT_TRUE(page_.calls.empty());

  // The failed call left no attempt running behind: the next one is a whole attempt.
  platform_.exhausted = false;
  controller.DownloadAndRun(page_);
  EXPECT_EQ(terminated_, 1);
}

TEST_F(DownloadAndRunTest, WithoutARequiredSignerTheInstallerIsNeitherHeldNorChecked) {
  LoopbackServer server(Serve({WithLength(200, kInstaller)}));
  Controller(server).DownloadAndRun(page_);
  EXPECT_EQ(platform_.steps, (std::vector<std::string>{"open"}));
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), kInstaller);
  EXPECT_EQ(terminated_, 1);
}

TEST_F(DownloadAndRunTest, InstallerOfTheRequiredSignerIsHeldFromTheCheckUntilTheShellHasIt) {
  platform_.facts.trustResult = 0;
  platform_.facts.chainErrors = 0;
  platform_.facts.signerName = L"Marlek Software GmbH";
  bool bodyMapped = true;
  platform_.atOpen = [&](const char* p) {
    bodyMapped = msync(const_cast<char*>(p), 1, MS_ASYNC) == 0;
  };
  const std::string signedInstaller = testsupport::ProgramImage(0x800, {false, 0x100});
  LoopbackServer server(Serve({WithLength(200, signedInstaller)}));
  Controller(server, L"Marlek Software GmbH").DownloadAndRun(page_);
  EXPECT_FALSE(bodyMapped) << "the body's memory is given back once the file is written";

  EXPECT_EQ(platform_.steps, (std::vector<std::string>{"hold", "signature", "open", "release"}));
  EXPECT_EQ(platform_.launched, std::vector<std::wstring>{(dir_ / "marlek-tumo.exe").wstring()});
  EXPECT_EQ(ReadAll(dir_ / "marlek-tumo.exe"), signedInstaller);
  EXPECT_EQ(terminated_, 1);
  EXPECT_EQ(page_.Count("error"), 0);
}

TEST_F(DownloadAndRunTest, InstallerFailingTheCheckIsDeletedAndNotStarted) {
  struct Case {
    const char* what;
    std::wstring signer;
    bool holdFails;
    bool signatureFails;
    std::vector<std::string> steps;
  };
  const Case cases[] = {
      {"another publisher",
       L"Another Publisher Ltd",
       false,
       false,
       {"hold", "signature", "release", "remove"}},
      {"signature unreadable",
       L"Marlek Software GmbH",
       false,
       true,
       {"hold", "signature", "release", "remove"}},
      {"file cannot be held", L"Marlek Software GmbH", true, false, {"remove"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    page_.calls.clear();
    platform_.steps.clear();
    platform_.facts.trustResult = 0;
    platform_.facts.chainErrors = 0;
    platform_.facts.signerName = c.signer;
    platform_.holdFails = c.holdFails;
    platform_.signatureFails = c.signatureFails;
    LoopbackServer server(Serve({WithLength(200, kInstaller)}));
    Controller(server, L"Marlek Software GmbH").DownloadAndRun(page_);

    ExpectFailed();
    EXPECT_EQ(platform_.steps, c.steps);
    EXPECT_FALSE(fs::exists(dir_ / "marlek-tumo.exe"));
  }
}

// The page holds 32-bit values: lengths of 2 GiB or more are halved until they fit, and the
// position follows with the same factor.
TEST(InstallerProgress, ValuesFitThePageAndKeepTheirRatio) {
  RecordingPage page;
  ProgressPacer progress(page);
  const std::int64_t kLimit = 0x7FFFFFFF;
  progress.Begin(kLimit);
  progress.Work(kLimit);
  progress.Begin(kLimit + 1);
  progress.Work(kLimit + 1);
  progress.Work(1000);
  progress.Begin(std::int64_t{3} << 32);
  progress.Work(std::int64_t{3} << 31);
  progress.Work(std::int64_t{4} << 32);  // more than announced stays in range
  progress.Begin(INT64_MAX);
  progress.Work(INT64_MAX);
  progress.Begin(0);  // no announced length: the window shows a marquee
  progress.Work(5000);
  progress.Begin(-1);
  EXPECT_EQ(page.calls, (std::vector<std::string>{
                            "max 2147483647", "pos 2147483647", "max 1073741824", "pos 1073741824",
                            "pos 500", "max 1610612736", "pos 805306368", "pos 2147483647",
                            "max 2147483647", "pos 2147483647", "max 0", "pos 5000", "max 0"}));
}

}  // namespace
