#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP server on 127.0.0.1 for the Windows-side suites: every connection gets the
// same response, after which the server closes its sending side.
class WinLoopbackServer {
public:
  explicit WinLoopbackServer(std::string response);
  ~WinLoopbackServer();
  WinLoopbackServer(const WinLoopbackServer&) = delete;
  WinLoopbackServer& operator=(const WinLoopbackServer&) = delete;

  std::uint16_t port() const { return port_; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
  std::vector<std::string> requests() const;

private:
  void Serve();

  std::string response_;
  SOCKET listener_ = INVALID_SOCKET;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// "HTTP/1.1 200 OK" with a Content-Length and the body.
std::string OkResponse(const std::string& body);
