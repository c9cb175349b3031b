#include "http/socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include "base/input_wake_win.h"

#include <chrono>
#include <climits>

namespace net {
namespace {

constexpr std::intptr_t kInvalid = static_cast<std::intptr_t>(INVALID_SOCKET);

SOCKET Sock(const std::atomic<std::intptr_t>& h) { return static_cast<SOCKET>(h.load()); }

int Clamp(std::size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

}  // namespace

Socket::Socket()
    : handle_(static_cast<std::intptr_t>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))) {}

Socket::~Socket() {
  std::intptr_t h = handle_.exchange(kInvalid);
  if (h != kInvalid) ::closesocket(static_cast<SOCKET>(h));
  if (readiness_) WSACloseEvent(reinterpret_cast<WSAEVENT>(readiness_));
}

bool Socket::valid() const { return handle_.load() != kInvalid; }

bool Socket::Connect(std::uint32_t address, std::uint16_t port, std::string& error) {
  SOCKET s = Sock(handle_);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  if (::connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return true;
  error = "connect failed, Winsock error " + std::to_string(WSAGetLastError());
  return false;
}

// Closing the socket is what ends a blocking connect on Winsock.
void Socket::Abort() {
  std::intptr_t h = handle_.exchange(kInvalid);
  if (h != kInvalid) ::closesocket(static_cast<SOCKET>(h));
}

bool Socket::SetNonBlocking() {
  BOOL nodelay = TRUE;
  ::setsockopt(Sock(handle_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&nodelay),
               sizeof nodelay);
  WSAEVENT event = WSACreateEvent();
  if (event == WSA_INVALID_EVENT) return false;
  readiness_ = reinterpret_cast<std::intptr_t>(event);
  u_long on = 1;
  return ::ioctlsocket(Sock(handle_), FIONBIO, &on) == 0;
}

IoResult Socket::Send(const char* data, std::size_t size) {
  int n = ::send(Sock(handle_), data, Clamp(size), 0);
  if (n > 0) return {IoStatus::Data, static_cast<std::size_t>(n)};
  if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return {IoStatus::WouldBlock, 0};
  return {IoStatus::Reset, 0};
}

IoResult Socket::Receive(char* dst, std::size_t size) {
  int n = ::recv(Sock(handle_), dst, Clamp(size), 0);
  if (n > 0) return {IoStatus::Data, static_cast<std::size_t>(n)};
  if (n == 0) return {IoStatus::Closed, 0};
  if (WSAGetLastError() == WSAEWOULDBLOCK) return {IoStatus::WouldBlock, 0};
  return {IoStatus::Reset, 0};
}

namespace {
// Only the one set, never the exception set. An error counts as ready: the next call reports it.
bool ReadyNow(SOCKET s, Want want) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval none{0, 0};
  int r = want == Want::Read ? ::select(0, &set, nullptr, nullptr, &none)
                             : ::select(0, nullptr, &set, nullptr, &none);
  return r != 0;
}

// The socket's network events set the event only while a wait watches them. Reported all the
// time, they wake Wine's server for every packet while data streams, which made a loopback
// transfer up to 1.6 times as slow.
class WatchedEvents {
public:
  WatchedEvents(SOCKET s, HANDLE event)
      : s_(s),
        ok_(::WSAResetEvent(event) &&
            ::WSAEventSelect(s, event, FD_READ | FD_WRITE | FD_CLOSE) == 0) {}
  ~WatchedEvents() { ::WSAEventSelect(s_, nullptr, 0); }
  WatchedEvents(const WatchedEvents&) = delete;
  WatchedEvents& operator=(const WatchedEvents&) = delete;
  bool ok() const { return ok_; }

private:
  SOCKET s_;
  bool ok_;
};
}  // namespace

// The network events are edge-like: FD_READ and FD_WRITE come again only after a receive or a
// send, and taking the events of one wait resets them for the next. So the event only wakes the
// wait, and the socket itself is asked whether it is ready, after the events are watched: no
// readiness is lost between waits.
base::WaitResult Socket::Wait(Want want, int timeoutMs, const base::InputWake* input) {
  using Clock = std::chrono::steady_clock;
  const SOCKET s = Sock(handle_);
  HANDLE event = reinterpret_cast<HANDLE>(readiness_);
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const WatchedEvents watched(s, event);
  if (!watched.ok()) return base::WaitResult::Error;
  for (;;) {
    if (ReadyNow(s, want)) return base::WaitResult::Ready;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return base::WaitResult::Timeout;
    DWORD r = base::WaitForHandleOrInput(event, input != nullptr, static_cast<DWORD>(left));
    if (r == WAIT_TIMEOUT) return base::WaitResult::Timeout;
    if (input && r == WAIT_OBJECT_0 + 1) return base::WaitResult::Input;
    if (r != WAIT_OBJECT_0) return base::WaitResult::Error;
    WSANETWORKEVENTS seen{};
    if (::WSAEnumNetworkEvents(s, event, &seen) != 0) return base::WaitResult::Error;
    if (seen.lNetworkEvents & FD_CLOSE) return base::WaitResult::Ready;
  }
}

}  // namespace net
