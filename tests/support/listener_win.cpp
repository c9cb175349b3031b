#include "tests/support/listener.h"

#include <winsock2.h>

#include <stdexcept>
#include <string>

namespace testsupport {
namespace {

SOCKET Sock(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

}  // namespace

// Each listener holds a Winsock start of its own, so it works before the client made a socket.
Listener::Listener(std::uint32_t address, int backlog) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup");
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(address);
  int len = sizeof sa;
  if (s == INVALID_SOCKET || ::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      ::listen(s, backlog) != 0 || ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
    const int error = WSAGetLastError();
    if (s != INVALID_SOCKET) ::closesocket(s);
    WSACleanup();
    throw std::runtime_error("loopback listener: Winsock error " + std::to_string(error));
  }
  handle_ = static_cast<std::intptr_t>(s);
  port_ = ntohs(sa.sin_port);
}

Listener::~Listener() {
  ::closesocket(Sock(handle_));
  WSACleanup();
}

std::intptr_t Listener::Accept(int ms) {
  fd_set ready;
  FD_ZERO(&ready);
  FD_SET(Sock(handle_), &ready);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  if (::select(0, &ready, nullptr, nullptr, &tv) <= 0) return -1;
  const SOCKET s = ::accept(Sock(handle_), nullptr, nullptr);
  return s == INVALID_SOCKET ? -1 : static_cast<std::intptr_t>(s);
}

void EndSending(std::intptr_t connection) { ::shutdown(Sock(connection), SD_SEND); }

void ResetOnClose(std::intptr_t connection) {
  linger lg{1, 0};
  ::setsockopt(Sock(connection), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&lg),
               sizeof lg);
}

}  // namespace testsupport
