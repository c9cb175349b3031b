// The HTTP client over Winsock, against a small server thread in the same process.

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "http/client.h"
#include "http/transport.h"

namespace {

class WinsockUser {
public:
  WinsockUser() { WSAStartup(MAKEWORD(2, 2), &data_); }
  ~WinsockUser() { WSACleanup(); }
  WinsockUser(const WinsockUser&) = delete;
  WinsockUser& operator=(const WinsockUser&) = delete;

private:
  WSADATA data_{};
};

class OwnedSocket {
public:
  explicit OwnedSocket(SOCKET s = INVALID_SOCKET) : s_(s) {}
  ~OwnedSocket() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
  }
  OwnedSocket(const OwnedSocket&) = delete;
  OwnedSocket& operator=(const OwnedSocket&) = delete;
  SOCKET get() const { return s_; }

private:
  SOCKET s_;
};

// Listens on 127.0.0.1; the first connection gets `reply` after its request head (or nothing
// for silentMs), then an orderly close.
class OneShotServer {
public:
  OneShotServer(std::string reply, int silentMs = 0)
      : listener_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)),
        reply_(std::move(reply)),
        silentMs_(silentMs) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_.get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    listen(listener_.get(), 4);
    int len = sizeof sa;
    getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~OneShotServer() {
    stop_ = true;
    thread_.join();
  }
  OneShotServer(const OneShotServer&) = delete;
  OneShotServer& operator=(const OneShotServer&) = delete;

  std::string Url(const char* path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::string request() const { return request_; }

private:
  bool Readable(SOCKET s, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{0, ms * 1000};
    return select(0, &set, nullptr, nullptr, &tv) > 0;
  }
  void Serve() {
    for (int i = 0; i < 200 && !stop_; ++i) {
      if (!Readable(listener_.get(), 50)) continue;
      OwnedSocket conn(accept(listener_.get(), nullptr, nullptr));
      std::string head;
      char buf[1024];
      for (int j = 0; j < 200 && !stop_ && head.find("\r\n\r\n") == std::string::npos; ++j) {
        if (!Readable(conn.get(), 50)) continue;
        int n = recv(conn.get(), buf, sizeof buf, 0);
        if (n <= 0) break;
        head.append(buf, static_cast<std::size_t>(n));
      }
      request_ = head;
      for (int waited = 0; waited < silentMs_ && !stop_; waited += 50) Sleep(50);
      send(conn.get(), reply_.data(), static_cast<int>(reply_.size()), 0);
      shutdown(conn.get(), SD_SEND);
      Readable(conn.get(), 1000);
      return;
    }
  }

  WinsockUser winsock_;
  OwnedSocket listener_;
  std::string reply_;
  int silentMs_;
  std::uint16_t port_ = 0;
  std::string request_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct Result {
  bool failed = false;
  http::Error error{};
  std::string body;
  int pumps = 0;
  long long lastWork = -1;
};

Result Fetch(const std::string& url, http::Settings s = {}) {
  Result r;
  http::Events ev;
  ev.pump = [&] { ++r.pumps; };
  ev.work = [&](std::int64_t n) { r.lastWork = n; };
  BodyBuffer body;
  try {
    http::HttpClient client(s, ev);
    client.Get(url, body);
  } catch (const http::HttpError& e) {
    r.failed = true;
    r.error = e.code();
  }
  r.body.assign(body.data() ? body.data() : "", body.size());
  return r;
}

std::string Big(std::size_t n) {
  std::string s(n, 'x');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + i % 23);
  return s;
}

TEST(WinDownloadHttp, ContentLengthBody) {
  const std::string body = Big(100000);
  OneShotServer server("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + body);
  Result r = Fetch(server.Url("/prg/x.exe"));
  ASSERT_FALSE(r.failed) << http::to_string(r.error);
  EXPECT_EQ(r.body, body);
  EXPECT_EQ(r.lastWork, 100000);
  EXPECT_GE(r.pumps, 3) << "a pump after each block";
  EXPECT_EQ(server.request().substr(0, 30), "GET /prg/x.exe HTTP/1.1\r\nHost:");
}

TEST(WinDownloadHttp, ChunkedBody) {
  OneShotServer server(
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nwiki\r\n5\r\npedia\r\n0\r\n\r\n");
  Result r = Fetch(server.Url("/"));
  ASSERT_FALSE(r.failed) << http::to_string(r.error);
  EXPECT_EQ(r.body, "wikipedia");
}

TEST(WinDownloadHttp, ShortBodyFails) {
  OneShotServer server("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
  Result r = Fetch(server.Url("/"));
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.error, http::Error::ConnectionClosed);
}

TEST(WinDownloadHttp, RefusedConnectFails) {
  WinsockUser winsock;
  std::uint16_t port = 0;
  {
    OwnedSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s.get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    int len = sizeof sa;
    getsockname(s.get(), reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin_port);
  }
  http::Settings s;
  s.connectTimeoutMs = 5000;
  Result r = Fetch("http://127.0.0.1:" + std::to_string(port) + "/", s);
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.error, http::Error::ConnectFailed);
}

TEST(WinDownloadHttp, SilentServerPumpsEverySliceThenTimesOut) {
  OneShotServer server("", 3000);
  http::Settings s;
  s.readTimeoutMs = 600;
  s.readSliceMs = 50;
  DWORD start = GetTickCount();
  Result r = Fetch(server.Url("/"), s);
  DWORD took = GetTickCount() - start;
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.error, http::Error::ReadTimeout);
  EXPECT_GE(r.pumps, 8);
  EXPECT_LE(r.pumps, 13);
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
  OneShotServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", 700);
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
