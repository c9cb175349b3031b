#include "tests/support/listener.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace testsupport {

Listener::Listener(std::uint32_t address, int backlog)
    : handle_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  const int fd = static_cast<int>(handle_);
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(address);
  socklen_t len = sizeof sa;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      ::listen(fd, backlog) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    throw std::system_error(error, std::generic_category(), "loopback listener");
  }
  port_ = ntohs(sa.sin_port);
}

Listener::~Listener() { ::close(static_cast<int>(handle_)); }

std::intptr_t Listener::Accept(int ms) {
  pollfd p{static_cast<int>(handle_), POLLIN, 0};
  if (::poll(&p, 1, ms) <= 0) return -1;
  return ::accept4(static_cast<int>(handle_), nullptr, nullptr, SOCK_CLOEXEC);
}

void EndSending(std::intptr_t connection) { ::shutdown(static_cast<int>(connection), SHUT_WR); }

void ResetOnClose(std::intptr_t connection) {
  linger lg{1, 0};
  ::setsockopt(static_cast<int>(connection), SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
}

}  // namespace testsupport
