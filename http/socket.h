#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/input_wake.h"

// The thin TCP layer under the HTTP client: IPv4 only, one implementation per platform.
namespace net {

enum class IoStatus { Data, WouldBlock, Closed, Reset };
struct IoResult {
  IoStatus status;
  std::size_t bytes;
};

// After the connect a wait watches only these, never out-of-band data: a peer that sends an
// urgent byte must not make a wait ready that no receive follows up.
enum class Want { Read, Write };

// Resolves host to an IPv4 address (host byte order); false when it cannot.
bool ResolveIPv4(const std::string& host, std::uint32_t& address);

class Socket {
public:
  Socket();  // a fresh TCP socket; valid() is false when none could be made
  // Takes over a connected socket made elsewhere (a loopback test server's accepted one).
  explicit Socket(std::intptr_t adopted) : handle_(adopted) {}
  ~Socket();
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  bool valid() const;
  // Blocking connect (run on a worker thread); on failure false with a cause in error.
  bool Connect(std::uint32_t address, std::uint16_t port, std::string& error);
  // Called from another thread: makes a Connect in progress return.
  void Abort();
  // After a successful connect: the socket no longer blocks in Receive and Send, and its
  // waits can watch input beside it.
  bool SetNonBlocking();
  // Never blocks: Data with the bytes taken (> 0), WouldBlock when there is no room, or Reset.
  IoResult Send(const char* data, std::size_t size);
  // Never blocks: Data with bytes > 0, WouldBlock, Closed (orderly end) or Reset (any error).
  IoResult Receive(char* dst, std::size_t size);
  // Read: ready when data, an end or an error is waiting. Write: ready when there is room to
  // send, or an error is waiting. Input when input (if given) is waiting and the socket is not.
  base::WaitResult Wait(Want want, int timeoutMs, const base::InputWake* input);

private:
  std::atomic<std::intptr_t> handle_;
  std::intptr_t readiness_ = 0;  // Windows: the event the socket's network events set
};

}  // namespace net
