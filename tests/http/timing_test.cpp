#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "http/client.h"
#include "tests/support/fetch.h"
#include "tests/support/loopback_server.h"
#include "tests/support/never_accepting_listener.h"
#include "tests/support/replies.h"

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::LoopbackServer;

double LargestGap(const std::vector<double>& at) {
  double gap = 0;
  for (std::size_t i = 1; i < at.size(); ++i) gap = std::max(gap, at[i] - at[i - 1]);
  return gap;
}

TEST(HttpTiming, ConnectThatNeverCompletesTimesOutWhilePumpingEachStep) {
  testsupport::NeverAcceptingListener listener;
  http::Settings s;
  s.connectTimeoutMs = 1000;
  s.connectStepMs = 50;
  testsupport::Fetched t = testsupport::Fetch(testsupport::LoopbackUrl(listener.port(), "/"), s);
  ASSERT_TRUE(t.error);
  EXPECT_EQ(t.error, http::Error::ConnectTimeout);
  EXPECT_GE(t.end, 0.95);
  EXPECT_LT(t.end, 3.0) << "the worker's connect must end when the socket is closed";
  // 1000 ms in 50 ms steps: a pump after each step but the last.
  EXPECT_GE(t.pumps.size(), 12u);
  EXPECT_LE(t.pumps.size(), 20u);
  EXPECT_LT(LargestGap(t.pumps), 0.3);
}

TEST(HttpTiming, SilentServerTimesOutWhilePumpingEachSlice) {
  LoopbackServer server(testsupport::Stall("", 5000));
  http::Settings s;
  s.readTimeoutMs = 800;
  s.readSliceMs = 40;
  testsupport::Fetched t = testsupport::Fetch(server.Url("/"), s);
  ASSERT_TRUE(t.error);
  EXPECT_EQ(t.error, http::Error::ReadTimeout);
  EXPECT_GE(t.end, 0.75);
  EXPECT_LT(t.end, 2.5);
  EXPECT_GE(t.pumps.size(), 12u);
  EXPECT_LE(t.pumps.size(), 20u);
  EXPECT_LT(LargestGap(t.pumps), 0.3);
}

TEST(HttpTiming, TheLimitAppliesToEachWaitNotTheWholeTransfer) {
  // Every part of the message comes just inside the limit; together they take far longer.
  LoopbackServer server(
      testsupport::Trickle("", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc", 350, 10));
  http::Settings s;
  s.readTimeoutMs = 600;
  s.readSliceMs = 50;
  testsupport::Fetched t = testsupport::Fetch(server.Url("/"), s);
  ASSERT_FALSE(t.error) << http::to_string(*t.error);
  EXPECT_EQ(t.body, "abc");
  EXPECT_GT(t.end, 1.2);
  EXPECT_GE(t.pumps.size(), 15u) << "silent slices between the pieces pump";
}

TEST(HttpTiming, SilenceInsideABodyAlsoTimesOut) {
  LoopbackServer server(
      testsupport::Stall("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", 5000));
  http::Settings s;
  s.readTimeoutMs = 400;
  s.readSliceMs = 40;
  testsupport::Fetched t = testsupport::Fetch(server.Url("/"), s);
  ASSERT_TRUE(t.error);
  EXPECT_EQ(t.error, http::Error::ReadTimeout);
  EXPECT_LT(t.end, 2.0);
}

}  // namespace
