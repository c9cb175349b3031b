#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "http/client.h"
#include "http/transport.h"
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

// Silence before the head and inside a body alike.
TEST(HttpTiming, SilentServerTimesOutWhilePumpingEachSlice) {
  for (const char* sent : {"", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"}) {
    LoopbackServer server(testsupport::Stall(sent, 5000));
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

// A connection that always says it is ready and never has data, as a wait that watched
// out-of-band data would see a server that sent one urgent byte.
class AlwaysReadyConnector final : public http::Connector {
public:
  explicit AlwaysReadyConnector(int& receives) : receives_(receives) {}
  std::unique_ptr<http::Connection> Connect(const std::string&, std::uint16_t,
                                            const http::Settings&, base::PumpPacer&) override {
    return std::make_unique<Conn>(receives_);
  }

private:
  class Conn final : public http::Connection {
  public:
    explicit Conn(int& receives) : receives_(receives) {}
    net::IoResult Send(const char*, std::size_t size) override {
      return {net::IoStatus::Data, size};
    }
    net::IoResult Receive(char*, std::size_t) override {
      ++receives_;
      return {net::IoStatus::WouldBlock, 0};
    }
    base::WaitResult Wait(net::Want, int, const base::InputWake*) override {
      return base::WaitResult::Ready;
    }

  private:
    int& receives_;
  };
  int& receives_;
};

TEST(HttpTiming, AReadinessThatNeverBringsDataStillTimesOutOnTime) {
  http::Settings s;
  s.readTimeoutMs = 1000;
  int receives = 0;
  int pumps = 0;
  http::Events ev;
  ev.pump = [&] { ++pumps; };
  http::HttpClient client(s, ev, std::make_unique<AlwaysReadyConnector>(receives));
  BodyBuffer body;
  auto start = Clock::now();
  try {
    client.Get("http://127.0.0.1/", body);
    ADD_FAILURE() << "no data, yet no failure";
  } catch (const http::HttpError& e) {
    EXPECT_EQ(e.code(), http::Error::ReadTimeout);
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_GE(seconds, 0.95);
  EXPECT_LT(seconds, 1.5);
  EXPECT_GE(receives, 10) << "the connection is asked again after each readiness";
  EXPECT_LE(receives, 150) << "a connection that is always ready must not be asked in a tight loop";
  EXPECT_LE(pumps, 10) << "a readiness is not a slice without data";
}

// A resolver that hangs until released: twenty attempts, each giving up after its connect
// limit, share one lookup instead of leaving twenty threads behind.
TEST(HttpTiming, RetriesWhileALookupHangsStartNoSecondLookup) {
  struct Stall {
    std::mutex mutex;
    std::condition_variable cv;
    bool released = false;
    int calls = 0;
  };
  auto stall = std::make_shared<Stall>();
  auto lookup = std::make_shared<http::NameLookup>([stall](const std::string&, std::uint32_t&) {
    std::unique_lock lock(stall->mutex);
    ++stall->calls;
    stall->cv.wait_for(lock, std::chrono::seconds(10), [&] { return stall->released; });
    return false;
  });
  auto release = [&] {
    {
      std::lock_guard lock(stall->mutex);
      stall->released = true;
    }
    stall->cv.notify_all();
  };
  http::Settings s;
  s.connectTimeoutMs = 40;
  auto start = Clock::now();
  for (int attempt = 0; attempt < 20; ++attempt) {
    http::HttpClient client(s, {}, http::MakeSocketConnector(lookup));
    BodyBuffer body;
    try {
      client.Get("http://stalled.test/", body);
      ADD_FAILURE() << "attempt " << attempt << " succeeded";
    } catch (const http::HttpError& e) {
      EXPECT_EQ(e.code(), http::Error::ConnectTimeout) << "attempt " << attempt;
    }
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::shared_ptr<http::LookupJob> first = lookup->Start("stalled.test");
  int calls = 0;
  {
    std::lock_guard lock(stall->mutex);
    calls = stall->calls;
  }
  release();
  EXPECT_EQ(calls, 1) << "one lookup thread while the first still hangs";
  EXPECT_LT(seconds, 5.0) << "each attempt still gives up after its limit";

  // Once it has ended, the next attempt looks up anew.
  ASSERT_EQ(base::WaitForEventOrInput(&first->finished(), nullptr, 5000), base::WaitResult::Ready);
  BodyBuffer body;
  s.connectTimeoutMs = 5000;
  http::HttpClient patient(s, {}, http::MakeSocketConnector(lookup));
  EXPECT_THROW(patient.Get("http://stalled.test/", body), http::HttpError);
  std::lock_guard lock(stall->mutex);
  EXPECT_EQ(stall->calls, 2);
}

// With no descriptor left the lookup's event cannot be made: nothing is left for the next to join.
// A lookup first, so that the sanitizers have checked its types before no descriptor is left.
TEST(HttpTiming, ALookupThatCouldNotStartDoesNotBlockTheNext) {
  http::NameLookup lookup([](const std::string&, std::uint32_t&) { return false; });
  std::shared_ptr<http::LookupJob> warm = lookup.Start("a.test");
  ASSERT_EQ(base::WaitForEventOrInput(&warm->finished(), nullptr, 5000), base::WaitResult::Ready);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  const rlimit none{static_cast<rlim_t>(dup(0)), saved.rlim_max};
  close(static_cast<int>(none.rlim_cur));
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
  EXPECT_FALSE(lookup.Start("a.test"));
  setrlimit(RLIMIT_NOFILE, &saved);
  std::shared_ptr<http::LookupJob> next = lookup.Start("a.test");
  ASSERT_TRUE(next);
  EXPECT_EQ(base::WaitForEventOrInput(&next->finished(), nullptr, 5000), base::WaitResult::Ready);
}

}  // namespace
