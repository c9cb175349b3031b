#include "tests/http/trickle_servers.h"

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

namespace trickle {
namespace {

using Clock = std::chrono::steady_clock;
using testsupport::Conn;
using testsupport::LoopbackServer;

constexpr int kDripMs = 40;  // one byte every 40 ms: every 250 ms slice brings data
constexpr int kPostEveryMs = 100;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + (i * 5 + i / 97) % 26);
  return s;
}

// Short time-outs, but the pump pace and the read slice of the program itself.
http::Settings Limits() {
  http::Settings s;
  s.connectTimeoutMs = 1500;
  s.readTimeoutMs = 1500;
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

Run Fetch(const std::string& url, const http::Settings& settings,
          std::unique_ptr<http::Connector> connector) {
  Run run;
  auto start = Clock::now();
  auto since = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  base::InputWake input;
  Poster poster(input, start);
  http::Events events;
  events.pump = [&] {
    run.pumps.push_back(since());
    poster.Handle(run.inputDelays);
  };
  events.input = &input;
  BodyBuffer body;
  try {
    http::HttpClient client(settings, events, std::move(connector));
    client.Get(url, body);
  } catch (const http::HttpError& e) {
    run.error = e.code();
  }
  run.end = since();
  run.body.assign(body.data() ? body.data() : "", body.size());
  return run;
}

Run Serve(std::vector<testsupport::Script> scripts, const std::string& path = "/t") {
  LoopbackServer server(std::move(scripts));
  return Fetch(server.Url(path), Limits(), http::MakeSocketConnector());
}

Run HeadDrip() {
  const std::string body = "head";
  Run run = Serve({[&](Conn& c) {
    c.ReadRequest();
    c.SendSlowly("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n" + body, kDripMs);
    c.WaitPeerClose(3000);
  }});
  run.expectedBody = body;
  return run;
}

Run BodyDrip() {
  const std::string body = Pattern(40);
  Run run = Serve({[&](Conn& c) {
    c.ReadRequest();
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 40\r\n\r\n");
    c.SendSlowly(body, kDripMs);
    c.WaitPeerClose(3000);
  }});
  run.expectedBody = body;
  return run;
}

Run ChunkDrip() {
  const std::string data = Pattern(30);
  Run run = Serve({[&](Conn& c) {
    c.ReadRequest();
    c.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
    c.SendSlowly("a\r\n" + data.substr(0, 10) + "\r\n14\r\n" + data.substr(10) + "\r\n0\r\n\r\n",
                 kDripMs);
    c.WaitPeerClose(3000);
  }});
  run.expectedBody = data;
  return run;
}

Run RedirectBodyDrip() {
  const std::string body = "the final body";
  Run run = Serve({[&](Conn& c) {
    c.ReadRequest();
    c.Send("HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 40\r\n\r\n");
    c.SendSlowly(Pattern(40), kDripMs);
    c.ReadRequest();
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    c.WaitPeerClose(3000);
  }});
  run.expectedBody = body;
  return run;
}

// 512-byte pieces every 50 ms: about 10 KB/s, a bad mobile link.
Run SlowLink() {
  const std::string body = Pattern(20480);
  Run run = Serve({[&](Conn& c) {
    c.ReadRequest();
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 20480\r\n\r\n");
    c.SendSlowly(body, 50, 512);
    c.WaitPeerClose(3000);
  }});
  run.expectedBody = body;
  return run;
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
    net::WaitStatus Wait(net::Want, int ms, const base::InputWake* input) override {
      return base::WaitForEventOrInput(nullptr, input, ms) == base::Woken::Input
                 ? net::WaitStatus::Input
                 : net::WaitStatus::Timeout;
    }
  };
};

Run NeverReadsTheRequest() {
  Run run = Fetch("http://127.0.0.1/t", Limits(), std::make_unique<NoRoomConnector>());
  run.expectedError = http::Error::SendFailed;
  return run;
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
  Run run = Fetch("http://stalled.test/t", Limits(), http::MakeSocketConnector(resolve));
  {
    std::lock_guard lock(stall->mutex);
    stall->released = true;
  }
  stall->cv.notify_all();
  run.expectedError = http::Error::ConnectTimeout;
  return run;
}

struct Entry {
  const char* name;
  Run (*run)();
};

constexpr Entry kScenarios[] = {
    {"head drip", HeadDrip},
    {"body drip", BodyDrip},
    {"chunk drip", ChunkDrip},
    {"redirect body drip", RedirectBodyDrip},
    {"never reads the request", NeverReadsTheRequest},
    {"stalled resolver", StalledResolver},
    {"10 KB/s link", SlowLink},
};

}  // namespace

double Run::LongestGap() const {
  double previous = 0, gap = 0;
  for (double at : pumps) {
    gap = std::max(gap, at - previous);
    previous = at;
  }
  return std::max(gap, end - previous);
}

double Run::LongestInputDelay() const {
  return inputDelays.empty() ? 0 : *std::max_element(inputDelays.begin(), inputDelays.end());
}

std::vector<std::string> Scenarios() {
  std::vector<std::string> names;
  for (const Entry& e : kScenarios) names.emplace_back(e.name);
  return names;
}

Run RunScenario(const std::string& name) {
  for (const Entry& e : kScenarios)
    if (name == e.name) return e.run();
  return {};
}

}  // namespace trickle
