#include "tests/support/loopback_server.h"
#include "tests/support/never_accepting_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include <gtest/gtest.h>

namespace {

using testsupport::Conn;
using testsupport::LoopbackServer;

// A blocking raw client, enough to observe what the server does.
class RawClient {
public:
  RawClient(std::uint16_t port, const char* address = "127.0.0.1") {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    inet_pton(AF_INET, address, &sa.sin_addr);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
  }
  ~RawClient() { ::close(fd_); }
  bool connected() const { return connected_; }
  void Send(const std::string& s) { ::send(fd_, s.data(), s.size(), MSG_NOSIGNAL); }
  // Reads until the peer ends the connection; errnoAtEnd is 0 for an orderly close.
  std::string ReadAll(int& errnoAtEnd) {
    std::string out;
    char buf[1024];
    for (int i = 0; i < 1000; ++i) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 5000) <= 0) break;
      ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) {
        errnoAtEnd = n == 0 ? 0 : errno;
        return out;
      }
      out.append(buf, static_cast<std::size_t>(n));
    }
    errnoAtEnd = -1;
    return out;
  }

private:
  int fd_;
  bool connected_ = false;
};

TEST(LoopbackServer, RecordsRequestsAndRunsScriptsPerConnection) {
  LoopbackServer server({[](Conn& c) {
                           c.ReadRequest();
                           c.Send("first");
                         },
                         [](Conn& c) {
                           c.ReadRequest();
                           c.SendSlowly("second", 1, 2);
                           c.Close();
                         }});
  int err = -2;
  {
    RawClient a(server.port());
    ASSERT_TRUE(a.connected());
    a.Send("GET /a HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(a.ReadAll(err), "first");
    EXPECT_EQ(err, 0);
  }
  {
    RawClient b(server.port());
    b.Send("GET /b HTTP/1.1\r\n\r\n");
    EXPECT_EQ(b.ReadAll(err), "second");
    EXPECT_EQ(err, 0);
  }
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], "GET /a HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(requests[1], "GET /b HTTP/1.1\r\n\r\n");
  EXPECT_EQ(server.connections(), 2);
  EXPECT_EQ(server.Url("/p"), testsupport::LoopbackUrl(server.port(), "/p"));
}

TEST(LoopbackServer, ResetReachesThePeerAsAnError) {
  LoopbackServer server([](Conn& c) {
    c.ReadRequest();
    c.Send("partial");
    c.Silent(50);
    c.Reset();
  });
  RawClient a(server.port());
  a.Send("GET / HTTP/1.1\r\n\r\n");
  int err = -2;
  a.ReadAll(err);
  EXPECT_EQ(err, ECONNRESET);
}

TEST(LoopbackServer, SecondLoopbackAddressAndStopDuringSilence) {
  auto start = std::chrono::steady_clock::now();
  {
    LoopbackServer server([](Conn& c) { c.Silent(60000); }, "127.0.0.2");
    RawClient a(server.port(), "127.0.0.2");
    EXPECT_TRUE(a.connected());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(LoopbackServer, RefusedAndNeverAcceptedPorts) {
  RawClient refused(testsupport::UnusedLoopbackPort());
  EXPECT_FALSE(refused.connected());

  testsupport::NeverAcceptingListener listener;
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(listener.port());
  inet_pton(AF_INET, "127.0.0.1", &sa.sin_addr);
  ASSERT_NE(::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
  EXPECT_EQ(errno, EINPROGRESS);
  pollfd p{fd, POLLOUT, 0};
  EXPECT_EQ(::poll(&p, 1, 300), 0) << "connect completed although the queue is full";
  ::close(fd);
}

}  // namespace
