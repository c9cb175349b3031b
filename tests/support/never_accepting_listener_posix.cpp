#include "tests/support/never_accepting_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

NeverAcceptingListener::NeverAcceptingListener() : listener_(INADDR_LOOPBACK, 0) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(listener_.port());
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // Queue connections until one no longer completes at once: the accept queue is then full
  // and further SYNs are dropped.
  for (int i = 0; i < 64; ++i) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) break;
    fillers_.push_back(fd);
    int r = ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    if (r == 0) continue;
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, 200) == 0) break;
  }
}

NeverAcceptingListener::~NeverAcceptingListener() {
  for (int fd : fillers_) ::close(fd);
}

}  // namespace testsupport
