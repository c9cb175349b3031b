#include "tests/support/loopback_server.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

// Every wait is sliced so that a stopping server ends its scripts within this time.
constexpr int kSliceMs = 50;

std::uint32_t LoopbackAddress(const std::string& address) {
  std::uint32_t ip = 0;
  if (!net::ResolveIPv4(address, ip) || (ip >> 24) != 127)
    throw std::invalid_argument("not a loopback address: " + address);
  return ip;
}

// The one place that waits on a connection, bounded by one slice.
void WaitSlice(net::Socket& socket, bool forWriting, int ms) {
  socket.Wait(forWriting ? net::Want::Write : net::Want::Read, std::min(ms, kSliceMs), nullptr);
}

int MillisLeft(Clock::time_point deadline) {
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

// ---- Conn ----

Conn::Conn(LoopbackServer& server, std::intptr_t handle, int index)
    : server_(server), handle_(handle), index_(index) {
  socket_.emplace(handle);
  socket_->SetNonBlocking();
}

Conn::~Conn() { Close(); }

std::string Conn::ReadRequest(int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (open() && !server_.stopping()) {
    auto end = pending_.find("\r\n\r\n");
    if (end != std::string::npos) {
      std::string request = pending_.substr(0, end + 4);
      pending_.erase(0, end + 4);
      server_.Record(request);
      return request;
    }
    int left = MillisLeft(deadline);
    if (left == 0) return {};
    WaitSlice(*socket_, false, left);
    char buf[4096];
    net::IoResult r = socket_->Receive(buf, sizeof buf);
    if (r.status == net::IoStatus::WouldBlock) continue;
    if (r.status != net::IoStatus::Data) return {};
    pending_.append(buf, r.bytes);
  }
  return {};
}

void Conn::Send(std::string_view bytes) {
  while (open() && !bytes.empty() && !server_.stopping()) {
    net::IoResult r = socket_->Send(bytes.data(), bytes.size());
    if (r.status == net::IoStatus::WouldBlock) WaitSlice(*socket_, true, kSliceMs);
    if (r.status == net::IoStatus::Reset) return;
    bytes.remove_prefix(r.bytes);
  }
}

void Conn::SendSlowly(std::string_view bytes, int delayMs, std::size_t pieceSize) {
  pieceSize = std::max<std::size_t>(pieceSize, 1);
  for (std::size_t at = 0; at < bytes.size() && open(); at += pieceSize) {
    if (server_.SleepFor(delayMs)) return;
    Send(bytes.substr(at, pieceSize));
  }
}

void Conn::Silent(int ms) { server_.SleepFor(ms); }

bool Conn::WaitPeerClose(int ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (open() && !server_.stopping()) {
    int left = MillisLeft(deadline);
    if (left == 0) return false;
    WaitSlice(*socket_, false, left);
    char buf[4096];
    net::IoResult r = socket_->Receive(buf, sizeof buf);
    if (r.status == net::IoStatus::Closed || r.status == net::IoStatus::Reset) return true;
    if (r.status == net::IoStatus::Data) pending_.append(buf, r.bytes);
  }
  return false;
}

void Conn::Close() {
  if (!open()) return;
  EndSending(handle_);
  socket_.reset();
}

void Conn::Reset() {
  if (!open()) return;
  ResetOnClose(handle_);
  socket_.reset();
}

// ---- LoopbackServer ----

LoopbackServer::LoopbackServer(Script script, const std::string& address)
    : LoopbackServer(std::vector<Script>{std::move(script)}, address) {}

LoopbackServer::LoopbackServer(std::vector<Script> scripts, const std::string& address)
    : scripts_(std::move(scripts)), address_(address), listener_(LoopbackAddress(address), 16) {
  if (scripts_.empty()) throw std::invalid_argument("LoopbackServer needs a script");
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  stopCv_.notify_all();
  if (acceptThread_.joinable()) acceptThread_.join();
  for (auto& t : connThreads_) t.join();
}

std::string LoopbackServer::host() const { return address_ + ':' + std::to_string(port()); }

std::string LoopbackServer::Url(std::string_view path) const {
  return LoopbackUrl(port(), path, address_);
}

std::vector<std::string> LoopbackServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackServer::AcceptLoop() {
  while (!stopping()) {
    std::intptr_t handle = listener_.Accept(kSliceMs);
    if (handle == -1) continue;
    int index = accepted_++;
    std::lock_guard lock(mutex_);
    connThreads_.emplace_back([this, handle, index] { RunConnection(handle, index); });
  }
}

void LoopbackServer::RunConnection(std::intptr_t handle, int index) {
  Conn conn(*this, handle, index);
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

bool LoopbackServer::SleepFor(int ms) {
  std::unique_lock lock(mutex_);
  return stopCv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_.load(); });
}

std::uint16_t UnusedLoopbackPort() { return Listener(LoopbackAddress("127.0.0.1"), 1).port(); }

std::string LoopbackUrl(std::uint16_t port, std::string_view path, std::string_view host) {
  std::string url = "http://";
  url.append(host);
  url += ':';
  url += std::to_string(port);
  url.append(path);
  return url;
}

}  // namespace testsupport
