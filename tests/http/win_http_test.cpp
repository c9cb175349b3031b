// The HTTP client over Winsock, against the loopback test server in the same process.

#include <windows.h>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "http/client.h"
#include "tests/support/fetch.h"
#include "tests/support/loopback_server.h"
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

}  // namespace
