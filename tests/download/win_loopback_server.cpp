#include "tests/download/win_loopback_server.h"

#include <ws2tcpip.h>

#include <stdexcept>

namespace {

class Socket {
public:
  explicit Socket(SOCKET s) : s_(s) {}
  ~Socket() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  SOCKET get() const { return s_; }

private:
  SOCKET s_;
};

}  // namespace

WinLoopbackServer::WinLoopbackServer(std::string response) : response_(std::move(response)) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup");
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  if (listener_ == INVALID_SOCKET ||
      bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener_, 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    WSACleanup();
    throw std::runtime_error("loopback listener");
  }
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

WinLoopbackServer::~WinLoopbackServer() {
  stop_ = true;
  closesocket(listener_);
  thread_.join();
  WSACleanup();
}

std::vector<std::string> WinLoopbackServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void WinLoopbackServer::Serve() {
  while (!stop_) {
    Socket conn(accept(listener_, nullptr, nullptr));
    if (conn.get() == INVALID_SOCKET) return;
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int n = recv(conn.get(), buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    for (std::size_t sent = 0; sent < response_.size();) {
      const int n =
          send(conn.get(), response_.data() + sent, static_cast<int>(response_.size() - sent), 0);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    shutdown(conn.get(), SD_SEND);
    DWORD timeout = 3000;
    setsockopt(conn.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof timeout);
    while (recv(conn.get(), buffer, sizeof buffer, 0) > 0) {
    }
  }
}

std::string OkResponse(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
