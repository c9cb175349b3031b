// The HTTP client over Winsock, against the loopback test server in the same process.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "http/client.h"
#include "http/transport.h"
#include "tests/support/fetch.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ranged_file.h"
#include "tests/support/replies.h"

namespace {

using testsupport::Fetch;
using testsupport::LoopbackServer;

std::string Big(std::size_t n) {
  std::string s(n, 'x');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + i % 23);
  return s;
}

TEST(WinDownloadHttp, ContentLengthBody) {
  const std::string body = Big(100000);
  LoopbackServer server(testsupport::Once(testsupport::WithLength(200, body)));
  testsupport::Fetched r = Fetch(server.Url("/prg/x.exe"));
  ASSERT_FALSE(r.error) << http::to_string(*r.error);
  EXPECT_EQ(r.body, body);
  EXPECT_EQ(r.events.back(), "work 100000");
  EXPECT_GE(r.pumps.size(), 3u) << "a pump after each block";
  EXPECT_EQ(server.requests().at(0).substr(0, 30), "GET /prg/x.exe HTTP/1.1\r\nHost:");
}

// Winsock's reset, orderly close and silence each cut the body; the rest comes by range.
TEST(WinDownloadHttp, ACutBodyResumesWithARangeRequest) {
  const std::string body = Big(300000);
  http::Settings s;
  s.readTimeoutMs = 500;
  s.resumeWaitMs = 10;
  for (testsupport::Cut cut :
       {testsupport::Cut::Reset, testsupport::Cut::Close, testsupport::Cut::Silence}) {
    LoopbackServer server(testsupport::ServeRanged({.body = body,
                                                    .etag = "\"w\"",
                                                    .cutAfter = 120000,
                                                    .cut = cut,
                                                    .silenceMs = 3000,
                                                    .cutConnections = 1}));
    testsupport::Fetched r = Fetch(server.Url("/prg/x.exe"), s);
    ASSERT_FALSE(r.error) << http::to_string(*r.error);
    EXPECT_EQ(r.body, body);
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_NE(server.requests()[1].find("\r\nRange: bytes=120000-\r\nIf-Range: \"w\"\r\n\r\n"),
              std::string::npos);
  }
}

TEST(WinDownloadHttp, ChunkedShortAndRefused) {
  struct Case {
    std::optional<std::string> reply;  // none: nothing listens
    std::optional<http::Error> error;
    std::string body;
  } const cases[] = {
      {testsupport::Response(200, "Transfer-Encoding: chunked\r\n",
                             "4\r\nwiki\r\n5\r\npedia\r\n0\r\n\r\n"),
       std::nullopt, "wikipedia"},
      {testsupport::Response(200, "Content-Length: 10\r\n", "abc"), http::Error::ConnectionClosed,
       ""},
      {std::nullopt, http::Error::ConnectFailed, ""},
  };
  http::Settings s;
  s.connectTimeoutMs = 5000;
  for (const Case& c : cases) {
    std::optional<LoopbackServer> server;
    if (c.reply) server.emplace(testsupport::Once(*c.reply));
    testsupport::Fetched r =
        Fetch(server ? server->Url("/")
                     : testsupport::LoopbackUrl(testsupport::UnusedLoopbackPort(), "/"),
              s);
    EXPECT_EQ(r.error, c.error) << c.body;
    EXPECT_EQ(r.body, c.body);
  }
}

TEST(WinDownloadHttp, SilentServerPumpsEverySliceThenTimesOut) {
  LoopbackServer server(testsupport::Stall("", 3000));
  http::Settings s;
  s.readTimeoutMs = 600;
  s.readSliceMs = 50;
  DWORD start = GetTickCount();
  testsupport::Fetched r = Fetch(server.Url("/"), s);
  DWORD took = GetTickCount() - start;
  EXPECT_EQ(r.error, http::Error::ReadTimeout);
  EXPECT_GE(r.pumps.size(), 8u);
  EXPECT_LE(r.pumps.size(), 13u);
  EXPECT_LT(took, 2500u);
}

// Another thread posts a message to this one every 100 ms once the previous one was handled;
// the pump retrieves the messages and notes how long each waited.
class MessagePoster {
public:
  MessagePoster() {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue exists from now on
    thread_ = std::thread([this] {
      while (!stop_) {
        Sleep(100);
        if (pending_) continue;
        postedAt_ = Now();
        pending_ = true;
        input_.Post();
      }
    });
  }
  ~MessagePoster() {
    stop_ = true;
    thread_.join();
  }
  MessagePoster(const MessagePoster&) = delete;
  MessagePoster& operator=(const MessagePoster&) = delete;

  const base::InputWake* input() const { return &input_; }
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message != WM_NULL || msg.hwnd || !pending_) continue;
      delays_.push_back(Now() - postedAt_);
      pending_ = false;
    }
  }
  std::size_t handled() const { return delays_.size(); }
  double longestMs() const {
    return delays_.empty() ? 0 : *std::max_element(delays_.begin(), delays_.end());
  }

private:
  static double Now() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  base::InputWake input_;  // made on the waiting thread: its queue is the one posted to
  std::atomic<double> postedAt_{0};
  std::atomic<bool> pending_{false};
  std::atomic<bool> stop_{false};
  std::vector<double> delays_;
  std::thread thread_;
};

// Each kind of wait on Winsock ends when a message arrives, so the message is handled within
// 20 ms: the connect worker's end (a name lookup that takes 700 ms) and the socket's readiness
// (a server silent for 700 ms).
TEST(WinDownloadHttp, AMessageInTheMiddleOfAWaitIsHandledAtOnce) {
  LoopbackServer server(testsupport::Trickle("", testsupport::WithLength(200, "ok"), 700));
  struct Wait {
    const char* name;
    std::string url;
    http::Resolver resolve;
  };
  const Wait waits[] = {
      {"connect", "http://slow.test/",
       [](const std::string&, std::uint32_t&) {
         Sleep(700);
         return false;
       }},
      {"read", server.Url("/"), net::ResolveIPv4},
  };
  for (const Wait& wait : waits) {
    MessagePoster poster;
    http::Events ev;
    ev.pump = [&] { poster.Pump(); };
    ev.input = poster.input();
    BodyBuffer body;
    try {
      http::HttpClient client({}, ev, http::MakeSocketConnector(wait.resolve));
      client.Get(wait.url, body);
    } catch (const http::HttpError&) {
    }
    EXPECT_GE(poster.handled(), 4u) << wait.name;
    EXPECT_LT(poster.longestMs(), 20.0) << wait.name;
  }
}

}  // namespace
