#include "http/client.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "http/transport.h"
#include "tests/support/fetch.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ranged_file.h"
#include "tests/support/replies.h"
#include "tests/support/scripted_connector.h"

// A hostile Content-Length must come back as an exception, also under AddressSanitizer.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

using http::Error;
using testsupport::Conn;
using testsupport::Ending;
using testsupport::LoopbackServer;
using testsupport::Once;
using testsupport::Response;
using testsupport::Serve;
using testsupport::Trickle;
using testsupport::WithLength;

http::Settings Fast() {
  http::Settings s;
  s.connectTimeoutMs = 3000;
  s.connectStepMs = 25;
  s.readTimeoutMs = 3000;
  s.readSliceMs = 25;
  s.redirectBodyWaitMs = 300;
  return s;
}

using Outcome = testsupport::Fetched;

Outcome Fetch(const std::string& url, http::Settings settings = Fast(),
              std::unique_ptr<http::Connector> connector = nullptr) {
  return testsupport::Fetch(url, settings, std::move(connector));
}

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return s;
}

const char* kFixedHeaders =
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
    "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";

// ---- request bytes and framings ----

TEST(HttpClient, SendsExactlyTheRequestBytes) {
  LoopbackServer server(Serve({WithLength(200, "ok")}));
  Outcome r = Fetch(server.Url("/prg/setup.exe?v=1"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, "ok");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET /prg/setup.exe?v=1 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                "\r\n" + kFixedHeaders + "\r\n");
}

TEST(HttpClient, ContentLengthBodyInBlocksWithProgressAndPumps) {
  const std::string body = Pattern(100000);
  // The head arrives alone, so the blocks are exact.
  LoopbackServer server(Trickle(Response(200, "Content-Length: 100000\r\n"), body, 200));
  Outcome r = Fetch(server.Url("/f"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, body);
  EXPECT_EQ(r.events, (std::vector<std::string>{"begin 100000", "work 32768", "work 65536",
                                                "work 98304", "work 100000"}));
  EXPECT_GE(r.pumps.size(), 4u) << "one pump per block at least";
}

// While data streams in without a wait, a message that is waiting is handled after the next
// block, not only when the pump interval is due.
TEST(HttpClient, WhileDataStreamsAWaitingMessageIsHandledAfterTheNextBlock) {
  auto stream = std::make_shared<testsupport::ScriptedStream>();
  stream->inputs = {WithLength(200, Pattern(8 * 32768))};
  stream->pieceSize = 65536;
  base::InputWake input;
  std::vector<std::string> log;
  http::Events ev;
  ev.work = [&](std::int64_t n) {
    log.push_back("work");
    if (n < 3 * 32768 || std::count(log.begin(), log.end(), "posted")) return;
    input.Post();
    log.push_back("posted");
  };
  ev.pump = [&] {
    if (!input.Waiting()) return;
    input.Take();
    log.push_back("message");
  };
  ev.input = &input;
  BodyBuffer body;
  http::Settings settings = Fast();
  settings.inputAskMs = 0;
  http::HttpClient client(settings, ev, std::make_unique<testsupport::ScriptedConnector>(stream));
  client.Get("http://127.0.0.1/f", body);
  EXPECT_EQ(body.size(), 8u * 32768);
  auto posted = std::find(log.begin(), log.end(), "posted");
  ASSERT_NE(posted, log.end());
  ASSERT_NE(posted + 1, log.end());
  EXPECT_EQ(*(posted + 1), "message") << "handled right after the block it came in";
  EXPECT_EQ(std::count(log.begin(), log.end(), "message"), 1);
  EXPECT_GE(std::count(log.begin(), log.end(), "work"), 8);
}

// Asking for input costs a call into the window system: while data streams, it is asked once
// per ask interval, not after every block, and still at least that often.
TEST(HttpClient, WhileDataStreamsInputIsAskedOncePerAskInterval) {
  constexpr int kAskMs = 20;
  constexpr int kBlockMs = 2;
  auto stream = std::make_shared<testsupport::ScriptedStream>();
  stream->inputs = {WithLength(200, Pattern(40 * 32768))};
  stream->pieceSize = 32768;
  base::InputWake input;
  input.Post();  // never taken: every ask finds it
  int blocks = 0;
  std::vector<std::pair<int, std::chrono::steady_clock::time_point>> pumps;
  http::Events ev;
  ev.work = [&](std::int64_t) {
    ++blocks;
    std::this_thread::sleep_for(std::chrono::milliseconds(kBlockMs));
  };
  ev.pump = [&] { pumps.emplace_back(blocks, std::chrono::steady_clock::now()); };
  ev.input = &input;
  http::Settings settings = Fast();
  settings.inputAskMs = kAskMs;
  BodyBuffer body;
  http::HttpClient client(settings, ev, std::make_unique<testsupport::ScriptedConnector>(stream));
  client.Get("http://127.0.0.1/f", body);
  ASSERT_EQ(body.size(), 40u * 32768);
  ASSERT_GE(pumps.size(), 2u);
  for (std::size_t i = 1; i < pumps.size(); ++i) {
    EXPECT_GE(pumps[i].second - pumps[i - 1].second, std::chrono::milliseconds(kAskMs))
        << "pump " << i;
    EXPECT_LE(pumps[i].first - pumps[i - 1].first, kAskMs / kBlockMs + 1) << "pump " << i;
  }
}

TEST(HttpClient, BytesThatCameWithTheHeadAreTheFirstBlock) {
  const std::string body = Pattern(50000);
  LoopbackServer server(Once(WithLength(200, body)));
  Outcome r = Fetch(server.Url("/f"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, body);
  ASSERT_GE(r.events.size(), 2u);
  EXPECT_EQ(r.events.front(), "begin 50000");
  EXPECT_EQ(r.events.back(), "work 50000");
  long long last = 0;
  for (std::size_t i = 1; i < r.events.size(); ++i) {
    long long n = std::stoll(r.events[i].substr(5));
    EXPECT_GT(n, last);
    if (i > 1) {
      EXPECT_LE(n - last, 32768);
    }
    last = n;
  }
}

TEST(HttpClient, ChunkedBodyCountsTheCodingAndEndsAtEachChunk) {
  const std::string big = Pattern(40000);
  const std::string chunks = "5;x=y\r\nhello\r\n9C40\r\n" + big + "\r\n0\r\nTrailer: t\r\n\r\n";
  LoopbackServer server(Trickle(Response(200, "Transfer-Encoding: chunked\r\n"), chunks, 200));
  Outcome r = Fetch(server.Url("/c"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, "hello" + big);
  ASSERT_GE(r.events.size(), 3u);
  EXPECT_EQ(r.events.front(), "begin 0");
  EXPECT_EQ(r.events[1], "work 12") << "first chunk: its size line and data";
  // Size lines "5;x=y\r\n", "9C40\r\n", "0\r\n" and the data: no line ends after data, no trailer.
  EXPECT_EQ(r.events.back(), "work " + std::to_string(7 + 5 + 6 + 40000 + 3));
}

TEST(HttpClient, BodyUntilCloseEndsOnlyWithAnOrderlyClose) {
  const std::string body = Pattern(70000);
  LoopbackServer orderly(Once(Response(200, "", body)));
  Outcome r = Fetch(orderly.Url("/"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, body);
  EXPECT_EQ(r.events.front(), "begin 0");
  EXPECT_EQ(r.events.back(), "work 70000");

  LoopbackServer reset(Once(Response(200, "", body), Ending::Reset));
  r = Fetch(reset.Url("/"));
  EXPECT_EQ(r.error, Error::ConnectionReset);
  EXPECT_EQ(r.bodyData, nullptr) << "a failed transfer leaves nothing allocated";
}

TEST(HttpClient, ShortContentLengthBodyFailsWhetherClosedOrReset) {
  const std::string half = Pattern(5000);
  LoopbackServer orderly(Once(Response(200, "Content-Length: 10000\r\n", half)));
  Outcome r = Fetch(orderly.Url("/"));
  EXPECT_EQ(r.error, Error::ConnectionClosed);
  EXPECT_EQ(r.bodyData, nullptr);

  LoopbackServer reset(Once(Response(200, "Content-Length: 10000\r\n", half), Ending::Reset));
  EXPECT_EQ(Fetch(reset.Url("/")).error, Error::ConnectionReset);

  LoopbackServer chunked(Once(Response(200, "Transfer-Encoding: chunked\r\n", "10\r\nabc")));
  EXPECT_EQ(Fetch(chunked.Url("/")).error, Error::ConnectionClosed);
  LoopbackServer chunkedAtEnd(
      Once(Response(200, "Transfer-Encoding: chunked\r\n", "3\r\nabc\r\n")));
  EXPECT_EQ(Fetch(chunkedAtEnd.Url("/")).error, Error::ConnectionClosed) << "no last chunk";
}

TEST(HttpClient, StatusOutcomes) {
  struct Case {
    std::string reply;
    std::optional<Error> error;
    std::string body;
  } cases[] = {
      {WithLength(404, "not here"), Error::BadStatus, ""},
      {WithLength(500, "oops"), Error::BadStatus, ""},
      {WithLength(401, ""), Error::BadStatus, ""},
      {WithLength(407, ""), Error::BadStatus, ""},
      {Response(304, ""), Error::BadStatus, ""},
      {Response(101, "Upgrade: x\r\n"), Error::BadStatus, ""},
      {Response(302, "Content-Length: 0\r\n"), Error::RedirectWithoutLocation, ""},
      {Response(301, "Location: https://127.0.0.1/x\r\nContent-Length: 0\r\n"),
       Error::RedirectToHttps, ""},
      {Response(204, "Content-Length: 5\r\n"), std::nullopt, ""},
      {Response(100, "") + Response(100, "") + WithLength(200, "after continue"), std::nullopt,
       "after continue"},
      {WithLength(299, "odd but fine"), std::nullopt, "odd but fine"},
      {WithLength(206, "a part", "Content-Range: bytes 0-5/9\r\n"), Error::BadStatus, ""},
      {"HTTP/1.1 200 OK\r\nX: " + std::string(20000, 'x') + "\r\n\r\n", Error::LineTooLong, ""},
      {"HTTP/1.1 2", Error::ConnectionClosed, ""},
      {"NOT HTTP AT ALL\r\n\r\n", Error::MalformedResponse, ""},
      {Response(200, "Content-Length: 99999999999999999999\r\n"), Error::MalformedResponse, ""},
      {Response(200, "Content-Length: 3\r\nContent-Length: 4\r\n", "abcd"),
       Error::MalformedResponse, ""},
      {Response(200, "Transfer-Encoding: chunked\r\n", "fffffffffffffffff\r\n"),
       Error::MalformedResponse, ""},
      {Response(200, "Content-Length: 9223372036854775807\r\n", "x"), Error::BodyTooLarge, ""},
  };
  for (const auto& c : cases) {
    LoopbackServer server(Once(c.reply));
    Outcome r = Fetch(server.Url("/s"));
    EXPECT_EQ(r.error, c.error) << c.reply.substr(0, 60);
    EXPECT_EQ(r.body, c.body) << c.reply.substr(0, 60);
  }
}

TEST(HttpClient, ErrorBodiesAreReadAndReportedResponsesWithoutBodyAreNot) {
  LoopbackServer server(Once(WithLength(404, "missing")));
  Outcome r = Fetch(server.Url("/x"));
  EXPECT_EQ(r.error, Error::BadStatus);
  EXPECT_EQ(r.events, (std::vector<std::string>{"begin 7", "work 7"}));

  LoopbackServer notModified(Once(Response(304, "Content-Length: 99\r\n")));
  r = Fetch(notModified.Url("/x"));
  EXPECT_EQ(r.error, Error::BadStatus);
  EXPECT_TRUE(r.events.empty());
}

TEST(HttpClient, EndOfTheConnectionInTheHead) {
  LoopbackServer silentClose(Once(""));
  EXPECT_EQ(Fetch(silentClose.Url("/")).error, Error::ConnectionClosed);
  LoopbackServer reset(Once("HTTP/1.1 200 OK\r\nContent-", Ending::Reset));
  EXPECT_EQ(Fetch(reset.Url("/")).error, Error::ConnectionReset);
}

TEST(HttpClient, RefusedConnectFails) {
  Outcome r = Fetch(testsupport::LoopbackUrl(testsupport::UnusedLoopbackPort(), "/"));
  EXPECT_EQ(r.error, Error::ConnectFailed);
  EXPECT_LT(r.end, 2.0);
}

TEST(HttpClient, HugeAnnouncedLengthFailsCleanlyAndReleasesTheBuffer) {
  // Large enough to be refused, or, where memory is overcommitted, to fail as a short body.
  LoopbackServer server(Once(Response(200, "Content-Length: 1099511627776000\r\n", "abc")));
  Outcome r = Fetch(server.Url("/"));
  ASSERT_TRUE(r.error);
  EXPECT_TRUE(*r.error == Error::BodyTooLarge || *r.error == Error::ConnectionClosed);
  EXPECT_EQ(r.bodyData, nullptr);
  EXPECT_TRUE(r.events.empty() || r.events.front() != "begin 0");
}

// ---- redirects ----

TEST(HttpClient, RelativeRedirectsResolveAgainstTheCurrentUrl) {
  LoopbackServer server(
      Serve({Response(302, "Location: ../b/./c d?q=1\r\nContent-Length: 0\r\n"),
             Response(307, "Location: /abs\r\nContent-Length: 0\r\n"), WithLength(200, "done")}));
  Outcome r = Fetch(server.Url("/x/y/z"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, "done");
  auto req = server.requests();
  ASSERT_EQ(req.size(), 3u);
  EXPECT_EQ(req[1].substr(0, req[1].find("\r\n")), "GET /x/b/c%20d?q=1 HTTP/1.1");
  EXPECT_EQ(req[2].substr(0, req[2].find("\r\n")), "GET /abs HTTP/1.1");
  EXPECT_EQ(server.connections(), 1) << "the kept connection serves every hop";
}

TEST(HttpClient, FourteenRedirectsAreFollowedTheFifteenthFails) {
  std::vector<std::string> fourteen(14, Response(302, "Location: /again\r\nContent-Length: 0\r\n"));
  fourteen.push_back(WithLength(200, "end"));
  LoopbackServer ok(Serve(fourteen));
  Outcome r = Fetch(ok.Url("/"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, "end");
  EXPECT_EQ(ok.requests().size(), 15u);

  std::vector<std::string> fifteen(15, Response(301, "Location: /again\r\nContent-Length: 0\r\n"));
  fifteen.push_back(WithLength(200, "never"));
  LoopbackServer tooMany(Serve(fifteen));
  r = Fetch(tooMany.Url("/"));
  EXPECT_EQ(r.error, Error::TooManyRedirects);
  EXPECT_EQ(tooMany.requests().size(), 15u);
}

TEST(HttpClient, LocationWithControlCharactersIsNeverSent) {
  for (std::string bad :
       {std::string("/a\rX-Injected: 1"), std::string("/a\0b", 4), std::string("/a\x1b")}) {
    LoopbackServer server(Serve(
        {Response(302, "Location: " + bad + "\r\nContent-Length: 0\r\n"), WithLength(200, "x")}));
    Outcome r = Fetch(server.Url("/"));
    EXPECT_EQ(r.error, Error::BadLocation);
    EXPECT_EQ(server.requests().size(), 1u);
  }
}

TEST(HttpClient, RedirectBodiesAreDiscardedAndReported) {
  LoopbackServer server(
      Serve({WithLength(302, "moved body", "Location: /next\r\n"), WithLength(200, "final")}));
  Outcome r = Fetch(server.Url("/"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, "final");
  EXPECT_EQ(r.events, (std::vector<std::string>{"begin 10", "work 10", "begin 5", "work 5"}));
  EXPECT_EQ(server.connections(), 1);
}

TEST(HttpClient, RedirectBodyThatNeverStartsIsNotWaitedForLong) {
  LoopbackServer server({Serve({Response(302, "Location: /next\r\nContent-Length: 10\r\n")}),
                         Serve({WithLength(200, "final")})});
  Outcome r = Fetch(server.Url("/"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, "final");
  EXPECT_EQ(server.connections(), 2) << "the connection with an unread body is given up";
  EXPECT_LT(r.end, 2.0);
}

TEST(HttpClient, RedirectToHttpsFailsAfterItsBodyIsRead) {
  LoopbackServer server(
      Serve({WithLength(301, "moved away", "Location: https://127.0.0.1/x\r\n")}));
  Outcome r = Fetch(server.Url("/"));
  EXPECT_EQ(r.error, Error::RedirectToHttps);
  EXPECT_EQ(r.events, (std::vector<std::string>{"begin 10", "work 10"}));
}

// ---- hostile servers cost bounded time and memory ----

TEST(HttpClient, DiscardedBodiesAreCutAfterOneMebibyteAndTheTransferGoesOn) {
  const std::size_t endless = std::size_t{8} << 20;
  LoopbackServer server({Serve({WithLength(302, std::string(endless, 'r'), "Location: /next\r\n")}),
                         Serve({WithLength(200, "final")})});
  Outcome r = Fetch(server.Url("/"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, "final");
  EXPECT_EQ(server.connections(), 2) << "the cut connection is not used again";
  auto second = std::find(r.events.begin(), r.events.end(), "begin 5");
  ASSERT_NE(second, r.events.end());
  EXPECT_EQ(*(second - 1), "work 1048576");

  LoopbackServer errorStatus(Once(Response(500, "", std::string(endless, 'e'))));
  r = Fetch(errorStatus.Url("/"));
  EXPECT_EQ(r.error, Error::BadStatus);
  EXPECT_EQ(r.events.back(), "work 1048576");
}

TEST(HttpClient, AnEndOfTheConnectionEndsADiscardedRedirectBody) {
  for (Ending ending : {Ending::Reset, Ending::Close}) {
    LoopbackServer server(
        {Once(Response(302, "Location: /next\r\nTransfer-Encoding: chunked\r\n", "10\r\nabc"),
              ending),
         Serve({WithLength(200, "final")})});
    Outcome r = Fetch(server.Url("/"));
    ASSERT_FALSE(r.error) << http::to_string(*r.error) << (ending == Ending::Reset);
    EXPECT_EQ(r.body, "final");
    EXPECT_EQ(server.connections(), 2);
  }
}

TEST(HttpClient, AFinalBodyBeyondWhatTheProcessHoldsFails) {
  http::Settings s = Fast();
  s.maxBody = 100000;
  const std::string big = Pattern(150000);
  LoopbackServer untilClose(Once(Response(200, "", big)));
  Outcome r = Fetch(untilClose.Url("/"), s);
  EXPECT_EQ(r.error, Error::BodyTooLarge);
  EXPECT_EQ(r.bodyData, nullptr);

  LoopbackServer chunked(
      Once(Response(200, "Transfer-Encoding: chunked\r\n", "249F0\r\n" + big + "\r\n0\r\n\r\n")));
  EXPECT_EQ(Fetch(chunked.Url("/"), s).error, Error::BodyTooLarge);

  LoopbackServer announced(Once(WithLength(200, big)));
  r = Fetch(announced.Url("/"), s);
  EXPECT_EQ(r.error, Error::BodyTooLarge);
  EXPECT_TRUE(r.events.empty()) << "refused before the body begins";

  // Exactly at the limit a body is whole, whether its length was announced or is seen only at
  // its end; one byte more is too large.
  const std::string limit = big.substr(0, 100000);
  const std::string chunkedLimit = "186A0\r\n" + limit + "\r\n0\r\n\r\n";
  const struct {
    std::string response;
    bool whole;
  } edges[] = {
      {WithLength(200, limit), true},
      {Response(200, "", limit), true},
      {Response(200, "Transfer-Encoding: chunked\r\n", chunkedLimit), true},
      {Response(200, "", limit + "x"), false},
      {Response(200, "Transfer-Encoding: chunked\r\n",
                "186A0\r\n" + limit + "\r\n1\r\nx\r\n0\r\n\r\n"),
       false},
  };
  for (const auto& edge : edges) {
    LoopbackServer server(Once(edge.response));
    r = Fetch(server.Url("/"), s);
    if (edge.whole) {
      ASSERT_FALSE(r.error) << http::to_string(*r.error) << edge.response.substr(0, 60);
      EXPECT_EQ(r.body, limit);
    } else {
      EXPECT_EQ(r.error, Error::BodyTooLarge) << edge.response.substr(0, 60);
    }
  }
}

// ---- connections ----

TEST(HttpClient, ConnectionCloseHttp10AndUntilCloseForbidReuse) {
  for (std::string first :
       {Response(302, "Location: /n\r\nContent-Length: 0\r\nConnection: close\r\n"),
        std::string("HTTP/1.0 302 Found\r\nLocation: /n\r\nContent-Length: 0\r\n\r\n"),
        Response(302, "Location: /n\r\nContent-Length: 0\r\n") + "GARBAGE"}) {
    LoopbackServer server({Serve({first, WithLength(200, "on the same connection")}),
                           Serve({WithLength(200, "second")})});
    Outcome r = Fetch(server.Url("/"));
    ASSERT_FALSE(r.error) << first;
    EXPECT_EQ(r.body, "second");
    EXPECT_EQ(server.connections(), 2) << first;
  }
}

TEST(HttpClient, KeptConnectionClosedByTheServerIsOpenedAgain) {
  LoopbackServer server({Once(Response(302, "Location: /n\r\nContent-Length: 0\r\n")),
                         Once(WithLength(200, "fresh"))});
  Outcome r = Fetch(server.Url("/"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, "fresh");
  EXPECT_EQ(server.connections(), 2);
}

TEST(HttpClient, CookiesStayWithTheirHostAcrossRedirects) {
  // home /first -> home /second -> other (127.0.0.2) /there -> home /deep/end
  std::string homeUrl;
  LoopbackServer other(
      [&](Conn& c) {
        c.ReadRequest();
        c.Send(
            Response(302, "Set-Cookie: b=2\r\nLocation: " + homeUrl + "\r\nContent-Length: 0\r\n"));
        c.WaitPeerClose(3000);
      },
      "127.0.0.2");
  LoopbackServer home(
      {Serve({Response(302,
                       "Set-Cookie: a=1\r\nSet-Cookie: p=9; Path=/deep\r\n"
                       "Set-Cookie: bad=x\x01y\r\nLocation: /second\r\nContent-Length: 0\r\n"),
              Response(302, "Location: " + other.Url("/there") + "\r\nContent-Length: 0\r\n")}),
       Serve({WithLength(200, "home again")})});
  homeUrl = home.Url("/deep/end");
  Outcome r = Fetch(home.Url("/first"));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.body, "home again");
  auto h = home.requests();
  ASSERT_EQ(h.size(), 3u);
  EXPECT_EQ(h[0].find("Cookie:"), std::string::npos);
  EXPECT_NE(h[1].find("\r\nCookie: a=1\r\n"), std::string::npos) << h[1];
  EXPECT_NE(h[2].find("\r\nCookie: p=9; a=1\r\n"), std::string::npos) << h[2];
  auto o = other.requests();
  ASSERT_EQ(o.size(), 1u);
  EXPECT_EQ(o[0].find("Cookie:"), std::string::npos)
      << "cookies of 127.0.0.1 never go to 127.0.0.2";
  EXPECT_EQ(home.connections(), 2);
}

// ---- the whole client over bytes in memory, whole and one byte at a time ----

TEST(HttpClient, SameResultWholeAndOneByteAtATime) {
  const std::string big = Pattern(70000);
  const std::vector<std::vector<std::string>> inputs = {
      {WithLength(200, big)},
      {Response(100, "") + Response(200, "Transfer-Encoding: chunked\r\n",
                                    "3\r\nabc\r\n11\r\n" + big.substr(0, 17) + "\r\n0\r\n\r\n")},
      {WithLength(302, "xx", "Location: /n\r\nSet-Cookie: k=v\r\nConnection: close\r\n"),
       WithLength(200, "after")},
      {Response(200, "", big)},
  };
  for (const auto& input : inputs) {
    std::vector<Outcome> results;
    std::vector<std::vector<std::string>> sent;
    for (std::size_t piece : {std::size_t{1} << 30, std::size_t{1}}) {
      auto stream = std::make_shared<testsupport::ScriptedStream>();
      stream->inputs = input;
      stream->pieceSize = piece;
      results.push_back(testsupport::Fetch(
          "http://host.test/p", Fast(), std::make_unique<testsupport::ScriptedConnector>(stream)));
      sent.push_back(stream->sent);
    }
    const std::string what = input[0].substr(0, 40);
    ASSERT_FALSE(results[0].error) << what << http::to_string(*results[0].error);
    ASSERT_FALSE(results[1].error) << what << http::to_string(*results[1].error);
    EXPECT_EQ(results[0].body, results[1].body) << what;
    EXPECT_EQ(results[0].events.back(), results[1].events.back()) << what;
    EXPECT_EQ(sent[0], sent[1]) << what;
  }
  auto stream = std::make_shared<testsupport::ScriptedStream>();
  stream->inputs = inputs[2];
  Outcome r = testsupport::Fetch("http://host.test/p", Fast(),
                                 std::make_unique<testsupport::ScriptedConnector>(stream));
  EXPECT_EQ(r.body, "after");
  ASSERT_EQ(stream->sent.size(), 2u);
  EXPECT_EQ(stream->sent[1], "GET /n HTTP/1.1\r\nHost: host.test\r\n" + std::string(kFixedHeaders) +
                                 "Cookie: k=v\r\n\r\n");
}

// ---- a cut body goes on where it stopped ----

http::Settings Resuming() {
  http::Settings s = Fast();
  s.readTimeoutMs = 500;
  s.resumeWaitMs = 10;
  return s;
}

TEST(HttpClient, ACutBodyResumesOnlyWhereTheSameFileGoesOn) {
  using testsupport::Cut;
  using testsupport::RangedFile;
  const std::string file = Pattern(300000);
  const std::string other = Pattern(250000).substr(1) + "!";
  const std::string before = "Sun, 06 Nov 1994 08:49:36 GMT";
  const std::string after = "Sun, 06 Nov 1994 08:49:37 GMT";
  using Change = std::function<void(RangedFile&)>;
  const struct {
    const char* name;
    Change change;  // of a file with a strong ETag, cut after 100000 bytes by a reset
    std::optional<Error> error;
    std::size_t requests;
  } rows[] = {
      {"reset", [](RangedFile&) {}, std::nullopt, 3},
      {"orderly close", [](RangedFile& f) { f.cut = Cut::Close; }, std::nullopt, 3},
      {"silence", [](RangedFile& f) { f.cut = Cut::Silence, f.cutConnections = 1; }, {}, 2},
      {"Last-Modified a second before Date",
       [&](RangedFile& f) { f.etag = "", f.lastModified = before, f.date = after; },
       {},
       3},
      {"200 starts over", [](RangedFile& f) { f.ranges = false, f.cutConnections = 1; }, {}, 2},
      {"file replaced",
       [&](RangedFile& f) {
         f.replacement = other, f.replacementEtag = "\"v2\"", f.cutConnections = 1;
       },
       {},
       2},
      {"no validator", [](RangedFile& f) { f.etag = ""; }, Error::ConnectionReset, 1},
      {"weak ETag", [](RangedFile& f) { f.etag = "W/\"v1\""; }, Error::ConnectionReset, 1},
      {"ETag with a control character", [](RangedFile& f) { f.etag = std::string("\"a\0b\"", 5); },
       Error::ConnectionReset, 1},
      {"Last-Modified in the second of Date",
       [&](RangedFile& f) { f.etag = "", f.lastModified = after, f.date = after; },
       Error::ConnectionReset, 1},
      {"416", [](RangedFile& f) { f.rangeStatus = 416; }, Error::RangeRefused, 2},
      {"range a byte early", [](RangedFile& f) { f.startSkew = -1; }, Error::RangeRefused, 2},
      {"changed length", [](RangedFile& f) { f.totalSkew = 1; }, Error::RangeRefused, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RangedFile served{.body = file, .etag = "\"v1\"", .cutAfter = 100000, .silenceMs = 3000};
    row.change(served);
    LoopbackServer server(testsupport::ServeRanged(served));
    Outcome r = Fetch(server.Url("/f"), Resuming());
    EXPECT_EQ(r.error, row.error);
    EXPECT_EQ(server.requests().size(), row.requests);
    if (row.error) {
      EXPECT_EQ(r.bodyData, nullptr) << "nothing held after a failure that cannot go on";
    } else {
      EXPECT_EQ(r.body, served.replacement.empty() ? file : other);
    }
  }
}

// The resume request is the final hop's, cookies included, with the range after it; its body's
// progress goes on from the bytes held.
TEST(HttpClient, TheResumeRequestIsTheFinalHopsWithTheRangeAdded) {
  const std::string file = Pattern(300000);
  LoopbackServer server(std::vector<testsupport::Script>{
      Serve({Response(302,
                      "Set-Cookie: s=1\r\nLocation: /file\r\nContent-Length: 0\r\n"
                      "Connection: close\r\n")}),
      testsupport::ServeRanged(
          {.body = file, .etag = "\"v1\"", .cutAfter = 100000, .cutConnections = 2})});
  Outcome r = Fetch(server.Url("/start"), Resuming());
  ASSERT_FALSE(r.error) << http::to_string(*r.error);
  EXPECT_EQ(r.body, file);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  const std::string hop = "GET /file HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                          "\r\n" + kFixedHeaders + "Cookie: s=1\r\n";
  EXPECT_EQ(requests[1], hop + "\r\n");
  EXPECT_EQ(requests[2], hop + "Range: bytes=100000-\r\nIf-Range: \"v1\"\r\n\r\n");
  const auto resumed = std::find(r.events.rbegin(), r.events.rend(), "begin 300000");
  ASSERT_NE(resumed, r.events.rend());
  ASSERT_NE(resumed, r.events.rbegin());
  EXPECT_GT(std::stoll((resumed - 1)->substr(5)), 100000) << "the bar does not drop to zero";
  EXPECT_EQ(r.events.back(), "work 300000");
}

// Whole files of 200, each cut at the same place, bring nothing new: after three such tries,
// waited for 1, 2 and 4 units with pumps, the transfer fails.
TEST(HttpClient, ThreeTriesWithoutProgressFailAfterWaitsThatPump) {
  LoopbackServer server(testsupport::ServeRanged(
      {.body = Pattern(300000), .etag = "\"v1\"", .ranges = false, .cutAfter = 100000}));
  http::Settings s = Resuming();
  s.resumeWaitMs = 150;
  Outcome r = Fetch(server.Url("/f"), s);
  EXPECT_EQ(r.error, Error::ConnectionReset);
  EXPECT_EQ(server.requests().size(), 4u);
  EXPECT_GE(r.end, 7 * 0.150);
  EXPECT_LT(r.LongestGap(), 0.3);
  EXPECT_NE(r.bodyData, nullptr) << "the bytes stay for a later transfer";
}

}  // namespace
