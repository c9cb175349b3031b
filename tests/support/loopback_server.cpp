#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <system_error>

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

sockaddr_in LoopbackAddress(const std::string& address, std::uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  if (inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1 ||
      (ntohl(sa.sin_addr.s_addr) >> 24) != 127)
    throw std::invalid_argument("not a loopback address: " + address);
  return sa;
}

// Binds a listening socket to address:0 and returns it with the port chosen.
int Listen(const std::string& address, int backlog, std::uint16_t& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) Fail("socket");
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa = LoopbackAddress(address, 0);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, backlog) != 0) {
    ::close(fd);
    Fail("bind/listen");
  }
  socklen_t len = sizeof sa;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  port = ntohs(sa.sin_port);
  return fd;
}

int MillisLeft(Clock::time_point deadline) {
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

// ---- Conn ----

Conn::Conn(LoopbackServer& server, int fd, int index) : server_(server), fd_(fd), index_(index) {
  server_.Track(fd_, true);
}

Conn::~Conn() { Close(); }

std::string Conn::ReadRequest(int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (fd_ >= 0 && !server_.stopping()) {
    auto end = pending_.find("\r\n\r\n");
    if (end != std::string::npos) {
      std::string request = pending_.substr(0, end + 4);
      pending_.erase(0, end + 4);
      server_.Record(request);
      return request;
    }
    int left = MillisLeft(deadline);
    if (left == 0) return {};
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, std::min(left, 50));
    if (r < 0 && errno != EINTR) return {};
    if (r <= 0) continue;
    char buf[4096];
    ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) return {};
    pending_.append(buf, static_cast<std::size_t>(n));
  }
  return {};
}

void Conn::Send(std::string_view bytes) {
  while (fd_ >= 0 && !bytes.empty() && !server_.stopping()) {
    ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void Conn::SendSlowly(std::string_view bytes, int delayMs, std::size_t pieceSize) {
  pieceSize = std::max<std::size_t>(pieceSize, 1);
  while (!bytes.empty() && fd_ >= 0) {
    std::size_t n = std::min(pieceSize, bytes.size());
    Send(bytes.substr(0, n));
    bytes.remove_prefix(n);
    if (!bytes.empty() && server_.SleepFor(delayMs)) return;
  }
}

void Conn::Silent(int ms) { server_.SleepFor(ms); }

bool Conn::WaitPeerClose(int ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (fd_ >= 0 && !server_.stopping()) {
    int left = MillisLeft(deadline);
    if (left == 0) return false;
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, std::min(left, 50));
    if (r <= 0) continue;
    char buf[4096];
    ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) return true;
    pending_.append(buf, static_cast<std::size_t>(n));
  }
  return false;
}

void Conn::Close() {
  if (fd_ < 0) return;
  ::shutdown(fd_, SHUT_WR);
  server_.Track(fd_, false);
  ::close(fd_);
  fd_ = -1;
}

void Conn::Reset() {
  if (fd_ < 0) return;
  linger lg{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
  server_.Track(fd_, false);
  ::close(fd_);
  fd_ = -1;
}

// ---- LoopbackServer ----

LoopbackServer::LoopbackServer(Script script, const std::string& address)
    : LoopbackServer(std::vector<Script>{std::move(script)}, address) {}

LoopbackServer::LoopbackServer(std::vector<Script> scripts, const std::string& address)
    : scripts_(std::move(scripts)), address_(address) {
  if (scripts_.empty()) throw std::invalid_argument("LoopbackServer needs a script");
  listenFd_ = Listen(address_, 16, port_);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    for (int fd : liveFds_) ::shutdown(fd, SHUT_RDWR);
  }
  stopCv_.notify_all();
  if (acceptThread_.joinable()) acceptThread_.join();
  for (auto& t : connThreads_) t.join();
  ::close(listenFd_);
}

std::string LoopbackServer::Url(std::string_view path) const {
  return LoopbackUrl(port_, path, address_);
}

std::vector<std::string> LoopbackServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackServer::AcceptLoop() {
  while (!stopping()) {
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int index = accepted_++;
    std::lock_guard lock(mutex_);
    connThreads_.emplace_back([this, fd, index] { RunConnection(fd, index); });
  }
}

void LoopbackServer::RunConnection(int fd, int index) {
  Conn conn(*this, fd, index);
  const Script& script =
      scripts_[std::min<std::size_t>(static_cast<std::size_t>(index), scripts_.size() - 1)];
  try {
    script(conn);
  } catch (...) {
    // A failing script just ends its connection; the test sees the effect on the client.
  }
}

void LoopbackServer::Record(std::string request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(std::move(request));
}

void LoopbackServer::Track(int fd, bool add) {
  std::lock_guard lock(mutex_);
  if (add) {
    if (stop_) ::shutdown(fd, SHUT_RDWR);
    liveFds_.push_back(fd);
  } else {
    liveFds_.erase(std::remove(liveFds_.begin(), liveFds_.end(), fd), liveFds_.end());
  }
}

bool LoopbackServer::SleepFor(int ms) {
  std::unique_lock lock(mutex_);
  return stopCv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_.load(); });
}

// ---- NeverAcceptingListener ----

NeverAcceptingListener::NeverAcceptingListener() {
  listenFd_ = Listen("127.0.0.1", 0, port_);
  sockaddr_in sa = LoopbackAddress("127.0.0.1", port_);
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
  ::close(listenFd_);
}

std::uint16_t UnusedLoopbackPort() {
  std::uint16_t port = 0;
  int fd = Listen("127.0.0.1", 1, port);
  ::close(fd);
  return port;
}

std::string LoopbackUrl(std::uint16_t port, std::string_view path, std::string_view host) {
  std::string url = "http://";
  url.append(host);
  url += ':';
  url += std::to_string(port);
  url.append(path);
  return url;
}

}  // namespace testsupport
