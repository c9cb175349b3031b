#include "tests/support/trickle_scenarios.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "http/client.h"
#include "http/transport.h"
#include "tests/support/loopback_server.h"
#include "tests/support/replies.h"

namespace trickle {
namespace {

using testsupport::Conn;
using testsupport::Response;
using testsupport::Trickle;
using testsupport::WithLength;

using Clock = std::chrono::steady_clock;

constexpr int kDripMs = 40;  // one byte every 40 ms: every 250 ms slice brings data
constexpr int kPostEveryMs = 100;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + (i * 5 + i / 97) % 26);
  return s;
}

// Another thread posting a message every kPostEveryMs once the previous one has been handled,
// as a window's messages arrive in the middle of the transfer's waits.
class Poster {
public:
  Poster(base::InputWake& input, Clock::time_point start)
      : input_(input), start_(start), thread_([this] { Post(); }) {}
  ~Poster() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  Poster(const Poster&) = delete;
  Poster& operator=(const Poster&) = delete;

  // In the pump: takes a posted message, noting how long it waited.
  void Handle(std::vector<double>& delays) {
    if (!pending_.load() || !input_.Waiting()) return;
    delays.push_back(Since() - postedAt_.load());
    input_.Take();
    pending_ = false;
  }

private:
  double Since() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
  void Post() {
    std::unique_lock lock(mutex_);
    while (
        !changed_.wait_for(lock, std::chrono::milliseconds(kPostEveryMs), [&] { return stop_; })) {
      if (pending_.load()) continue;
      postedAt_ = Since();
      pending_ = true;
      input_.Post();
    }
  }

  base::InputWake& input_;
  Clock::time_point start_;
  std::atomic<double> postedAt_{0};
  std::atomic<bool> pending_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stop_ = false;
  std::thread thread_;
};

// Gets with the client's pump pace and read slice but short time-outs, while messages are
// posted to its input.
Run Fetch(const std::string& url, std::unique_ptr<http::Connector> connector) {
  http::Settings limits;
  limits.connectTimeoutMs = 1500;
  limits.readTimeoutMs = 1500;
  Run run;
  base::InputWake input;
  Poster poster(input, Clock::now());
  http::Events events;
  events.pump = [&] { poster.Handle(run.inputDelays); };
  events.input = &input;
  static_cast<testsupport::Fetched&>(run) =
      testsupport::Fetch(url, limits, std::move(connector), events);
  return run;
}

using Fetcher = std::function<Run()>;

Fetcher Served(std::vector<testsupport::Script> scripts) {
  return [scripts] {
    testsupport::LoopbackServer server(scripts);
    return Fetch(server.Url("/t"), http::MakeSocketConnector());
  };
}

// A 302 whose body drips, then the final answer on the same connection.
testsupport::Script RedirectBodyDrip(const std::string& finalBody) {
  return [finalBody](Conn& c) {
    c.ReadRequest();
    c.Send("HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 40\r\n\r\n");
    c.SendSlowly(Pattern(40), kDripMs);
    c.ReadRequest();
    c.Send(WithLength(200, finalBody));
    c.WaitPeerClose(3000);
  };
}

// A server that takes no byte of the request: the connection has no room, ever. Its waits wake
// for input like a socket's.
class NoRoomConnector final : public http::Connector {
public:
  std::unique_ptr<http::Connection> Connect(const std::string&, std::uint16_t,
                                            const http::Settings&, base::PumpPacer&) override {
    return std::make_unique<NoRoom>();
  }

private:
  class NoRoom final : public http::Connection {
  public:
    net::IoResult Send(const char*, std::size_t) override { return {net::IoStatus::WouldBlock, 0}; }
    net::IoResult Receive(char*, std::size_t) override { return {net::IoStatus::WouldBlock, 0}; }
    base::WaitResult Wait(net::Want, int ms, const base::InputWake* input) override {
      return base::WaitForEventOrInput(nullptr, input, ms);
    }
  };
};

Run NeverReadsTheRequest() {
  return Fetch("http://127.0.0.1/t", std::make_unique<NoRoomConnector>());
}

// A resolver that answers only when released or after 10 s, whichever comes first; the worker
// that called it is left behind by the client and ends then.
struct Stall {
  std::mutex mutex;
  std::condition_variable cv;
  bool released = false;
};

Run StalledResolver() {
  auto stall = std::make_shared<Stall>();
  http::Resolver resolve = [stall](const std::string&, std::uint32_t&) {
    std::unique_lock lock(stall->mutex);
    stall->cv.wait_for(lock, std::chrono::seconds(10), [&] { return stall->released; });
    return false;
  };
  Run run = Fetch("http://stalled.test/t", http::MakeSocketConnector(resolve));
  {
    std::lock_guard lock(stall->mutex);
    stall->released = true;
  }
  stall->cv.notify_all();
  return run;
}

struct Scenario {
  std::string name;
  Fetcher fetch;
  std::string expectedBody;
  std::optional<http::Error> expectedError = std::nullopt;
};

Fetcher Drip(std::string head, std::string body) {
  return Served({Trickle(std::move(head), std::move(body), kDripMs, 1)});
}

const std::vector<Scenario>& Table() {
  static const std::string body40 = Pattern(40), data30 = Pattern(30), slow = Pattern(20480);
  static const std::string chunks =
      "a\r\n" + data30.substr(0, 10) + "\r\n14\r\n" + data30.substr(10) + "\r\n0\r\n\r\n";
  static const std::string length40 = "Content-Length: 40\r\n",
                           length20k = "Content-Length: 20480\r\n",
                           chunked = "Transfer-Encoding: chunked\r\n";
  // The 10 KB/s link sends 512-byte pieces every 50 ms, a bad mobile link.
  // clang-format off
  static const std::vector<Scenario> table = {
      {"head drip",               Drip("", WithLength(200, "head")),        "head"},
      {"body drip",               Drip(Response(200, length40), body40),    body40},
      {"chunk drip",              Drip(Response(200, chunked), chunks),     data30},
      {"redirect body drip",      Served({RedirectBodyDrip("the final body")}), "the final body"},
      {"never reads the request", NeverReadsTheRequest,                     "", http::Error::SendFailed},
      {"stalled resolver",        StalledResolver,                          "", http::Error::ConnectTimeout},
      {"10 KB/s link",            Served({Trickle(Response(200, length20k), slow, 50, 512)}), slow},
  };
  // clang-format on
  return table;
}

}  // namespace

double Run::LongestInputDelay() const {
  return inputDelays.empty() ? 0 : *std::max_element(inputDelays.begin(), inputDelays.end());
}

std::vector<std::string> Scenarios() {
  std::vector<std::string> names;
  for (const Scenario& s : Table()) names.push_back(s.name);
  return names;
}

Run RunScenario(const std::string& name) {
  for (const Scenario& s : Table()) {
    if (s.name != name) continue;
    Run run = s.fetch();
    run.expectedBody = s.expectedBody;
    run.expectedError = s.expectedError;
    return run;
  }
  return {};
}

}  // namespace trickle
