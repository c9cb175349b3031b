#include "http/socket.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace net {
namespace {
constexpr std::intptr_t kInvalid = -1;

int Fd(const std::atomic<std::intptr_t>& h) { return static_cast<int>(h.load()); }
}  // namespace

Socket::Socket() : handle_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}

Socket::~Socket() {
  std::intptr_t h = handle_.exchange(kInvalid);
  if (h != kInvalid) ::close(static_cast<int>(h));
}

bool Socket::valid() const { return handle_.load() != kInvalid; }

bool Socket::Connect(std::uint32_t address, std::uint16_t port, std::string& error) {
  int fd = Fd(handle_);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  int r;
  do r = ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  while (r != 0 && errno == EINTR);
  if (r == 0) return true;
  error = std::strerror(errno);
  return false;
}

// shutdown wakes a thread blocked in connect on Linux; the descriptor stays valid until the
// destructor, so it cannot be reused under the worker's feet.
void Socket::Abort() { ::shutdown(Fd(handle_), SHUT_RDWR); }

bool Socket::SetNonBlocking() {
  int fd = Fd(handle_);
  int flags = ::fcntl(fd, F_GETFL);
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

IoResult Socket::Send(const char* data, std::size_t size) {
  for (;;) {
    ssize_t n = ::send(Fd(handle_), data, size, MSG_NOSIGNAL);
    if (n > 0) return {IoStatus::Data, static_cast<std::size_t>(n)};
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return {IoStatus::WouldBlock, 0};
    return {IoStatus::Reset, 0};
  }
}

IoResult Socket::Receive(char* dst, std::size_t size) {
  for (;;) {
    ssize_t n = ::recv(Fd(handle_), dst, size, 0);
    if (n > 0) return {IoStatus::Data, static_cast<std::size_t>(n)};
    if (n == 0) return {IoStatus::Closed, 0};
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return {IoStatus::WouldBlock, 0};
    return {IoStatus::Reset, 0};
  }
}

base::WaitResult Socket::Wait(Want want, int timeoutMs, const base::InputWake* input) {
  pollfd fds[2] = {{Fd(handle_), static_cast<short>(want == Want::Read ? POLLIN : POLLOUT), 0},
                   {input ? input->Handle() : -1, POLLIN, 0}};
  int r = ::poll(fds, input ? 2 : 1, timeoutMs);
  if (r > 0) return fds[0].revents ? base::WaitResult::Ready : base::WaitResult::Input;
  if (r == 0 || errno == EINTR) return base::WaitResult::Timeout;
  return base::WaitResult::Error;
}

}  // namespace net
