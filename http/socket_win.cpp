#include "http/socket.h"
#include "http/socket_startup.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>

namespace net {
namespace {

class WinsockSession {
public:
  WinsockSession() { ok_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
  ~WinsockSession() {
    if (ok_) WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  bool ok() const { return ok_; }

private:
  WSADATA data_{};
  bool ok_ = false;
};

constexpr std::intptr_t kInvalid = static_cast<std::intptr_t>(INVALID_SOCKET);

SOCKET Sock(const std::atomic<std::intptr_t>& h) { return static_cast<SOCKET>(h.load()); }

int Clamp(std::size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

}  // namespace

bool StartSockets() {
  static WinsockSession session;
  return session.ok();
}

Socket::Socket()
    : handle_(StartSockets()
                  ? static_cast<std::intptr_t>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))
                  : kInvalid) {}

Socket::~Socket() {
  std::intptr_t h = handle_.exchange(kInvalid);
  if (h != kInvalid) ::closesocket(static_cast<SOCKET>(h));
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
  u_long on = 1;
  BOOL nodelay = TRUE;
  ::setsockopt(Sock(handle_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&nodelay),
               sizeof nodelay);
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
WaitStatus Wait(SOCKET s, bool forWriting, int timeoutMs) {
  fd_set ready, failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(s, &ready);
  FD_SET(s, &failed);
  timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int r = forWriting ? ::select(0, nullptr, &ready, &failed, &tv)
                     : ::select(0, &ready, nullptr, &failed, &tv);
  if (r > 0) return WaitStatus::Ready;
  if (r == 0) return WaitStatus::Timeout;
  return WaitStatus::Error;
}
}  // namespace

WaitStatus Socket::WaitReadable(int timeoutMs) { return Wait(Sock(handle_), false, timeoutMs); }

WaitStatus Socket::WaitWritable(int timeoutMs) { return Wait(Sock(handle_), true, timeoutMs); }

}  // namespace net
