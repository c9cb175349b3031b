#pragma once

// The scripted HTTP server on loopback of the C++ tests, native and Windows-side, on the
// client's own socket layer. Each accepted connection runs a script (a function) on its own
// thread; the script reads requests and answers with raw bytes, slowly, not at all, or ends the
// connection in an orderly way or with a reset.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "http/socket.h"
#include "tests/support/listener.h"

namespace testsupport {

class LoopbackServer;

// One accepted connection, handed to the script on the connection's thread.
class Conn {
public:
  Conn(const Conn&) = delete;
  Conn& operator=(const Conn&) = delete;
  ~Conn();

  // Reads up to and including the blank line that ends a request head, records it with the
  // server and returns it. Returns "" when the peer closes (or the server stops) first, or
  // after timeoutMs without a complete head.
  std::string ReadRequest(int timeoutMs = 10000);
  // Sends every byte (as far as the peer takes them).
  void Send(std::string_view bytes);
  // Sends pieces of pieceSize bytes, each after a pause of delayMs.
  void SendSlowly(std::string_view bytes, int delayMs, std::size_t pieceSize = 1);
  // Stays quiet for ms (returns early when the server stops).
  void Silent(int ms);
  // Waits until the peer closes its end; true if it did within ms.
  bool WaitPeerClose(int ms);
  // Orderly close: FIN after everything sent.
  void Close();
  // Abortive close: SO_LINGER 0, so the peer sees a reset.
  void Reset();
  // Zero-based number of this connection in accept order.
  int index() const { return index_; }

private:
  friend class LoopbackServer;
  Conn(LoopbackServer& server, std::intptr_t handle, int index);
  bool open() const { return socket_.has_value(); }

  LoopbackServer& server_;
  std::intptr_t handle_;
  std::optional<net::Socket> socket_;
  int index_;
  std::string pending_;
};

using Script = std::function<void(Conn&)>;

class LoopbackServer {
public:
  // Connection i runs scripts[min(i, scripts.size() - 1)]. address is a 127.x.y.z address.
  explicit LoopbackServer(std::vector<Script> scripts, const std::string& address = "127.0.0.1");
  explicit LoopbackServer(Script script, const std::string& address = "127.0.0.1");
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::uint16_t port() const { return listener_.port(); }
  const std::string& address() const { return address_; }
  // "ADDRESS:PORT".
  std::string host() const;
  // "http://ADDRESS:PORT" + path.
  std::string Url(std::string_view path) const;
  // Every request head received so far, in order of arrival.
  std::vector<std::string> requests() const;
  int connections() const { return accepted_.load(); }

private:
  friend class Conn;
  void AcceptLoop();
  void RunConnection(std::intptr_t handle, int index);
  void Record(std::string request);
  bool stopping() const { return stop_.load(); }
  // Waits ms or until the server stops; true if stopping.
  bool SleepFor(int ms);

  std::vector<Script> scripts_;
  std::string address_;
  Listener listener_;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  mutable std::mutex mutex_;
  std::condition_variable stopCv_;
  std::vector<std::string> requests_;
  std::vector<std::thread> connThreads_;
  std::thread acceptThread_;
};

// A loopback port with nothing listening on it (connects are refused).
std::uint16_t UnusedLoopbackPort();

// "http://HOST:PORT" + path.
std::string LoopbackUrl(std::uint16_t port, std::string_view path,
                        std::string_view host = "127.0.0.1");

}  // namespace testsupport
