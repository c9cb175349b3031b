#pragma once

// The platform piece of the loopback test server: a listening socket, and the two endings of a
// connection that the client's socket layer has no use for. Everything else goes through
// net::Socket.

#include <cstdint>

namespace testsupport {

class Listener {
public:
  // Listens on address (host byte order) at a port the system picks; throws when it cannot.
  Listener(std::uint32_t address, int backlog);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  std::uint16_t port() const { return port_; }
  // The next connection's handle, or -1 when none came within ms.
  std::intptr_t Accept(int ms);

private:
  std::intptr_t handle_ = -1;
  std::uint16_t port_ = 0;
};

// Sends an orderly end after what was sent.
void EndSending(std::intptr_t connection);
// Makes the coming close abortive: the peer sees a reset.
void ResetOnClose(std::intptr_t connection);

}  // namespace testsupport
