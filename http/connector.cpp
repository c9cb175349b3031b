#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "http/transport.h"

namespace http {
namespace {

using Clock = std::chrono::steady_clock;

class SocketConnection final : public Connection {
public:
  explicit SocketConnection(std::unique_ptr<net::Socket> socket, int sendTimeoutMs)
      : socket_(std::move(socket)), sendTimeoutMs_(sendTimeoutMs) {}
  bool Send(std::string_view bytes) override {
    return socket_->SendAll(bytes.data(), bytes.size(), sendTimeoutMs_);
  }
  net::IoResult Receive(char* dst, std::size_t size) override {
    return socket_->Receive(dst, size);
  }
  net::WaitStatus WaitReadable(int timeoutMs) override { return socket_->WaitReadable(timeoutMs); }

private:
  std::unique_ptr<net::Socket> socket_;
  int sendTimeoutMs_;
};

// What the connect worker and the waiting thread share: the outcome, under a lock.
struct ConnectOutcome {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool connected = false;
  std::string error;
};

// Owns the worker; on every way out (also an exception from the pump) the connect is ended
// and the worker joined before the socket goes away.
class ConnectWorker {
public:
  ConnectWorker(net::Socket& socket, std::uint32_t address, std::uint16_t port)
      : socket_(socket), thread_([this, address, port] {
          std::string error;
          bool ok = socket_.Connect(address, port, error);
          std::lock_guard lock(outcome_.mutex);
          outcome_.connected = ok;
          outcome_.error = std::move(error);
          outcome_.finished = true;
          outcome_.done.notify_all();
        }) {}
  ~ConnectWorker() { Abort(); }
  ConnectWorker(const ConnectWorker&) = delete;
  ConnectWorker& operator=(const ConnectWorker&) = delete;

  // Waits at most ms; true once the worker has finished.
  bool WaitStep(int ms) {
    std::unique_lock lock(outcome_.mutex);
    return outcome_.done.wait_for(lock, std::chrono::milliseconds(ms),
                                  [this] { return outcome_.finished; });
  }
  void Abort() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard lock(outcome_.mutex);
      if (!outcome_.finished) socket_.Abort();
    }
    thread_.join();
  }
  void Join() { thread_.join(); }
  bool connected() const { return outcome_.connected; }
  const std::string& error() const { return outcome_.error; }

private:
  net::Socket& socket_;
  ConnectOutcome outcome_;
  std::thread thread_;
};

class SocketConnector final : public Connector {
public:
  std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                      const Settings& settings,
                                      const std::function<void()>& pump) override {
    std::uint32_t address = 0;
    if (!net::ResolveIPv4(host, address)) throw HttpError(Error::ResolveFailed, host);
    auto socket = std::make_unique<net::Socket>();
    if (!socket->valid()) throw HttpError(Error::ConnectFailed, "no socket");
    {
      ConnectWorker worker(*socket, address, port);
      long long waited = 0;
      for (;;) {
        auto start = Clock::now();
        bool finished = worker.WaitStep(settings.connectStepMs);
        waited +=
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (finished) break;
        if (waited >= settings.connectTimeoutMs) {
          worker.Abort();
          throw HttpError(Error::ConnectTimeout, host + ":" + std::to_string(port));
        }
        if (pump) pump();
      }
      worker.Join();
      if (!worker.connected())
        throw HttpError(Error::ConnectFailed,
                        host + ":" + std::to_string(port) + ": " + worker.error());
    }
    if (!socket->SetNonBlocking()) throw HttpError(Error::ConnectFailed, "non-blocking mode");
    return std::make_unique<SocketConnection>(std::move(socket), settings.readTimeoutMs);
  }
};

}  // namespace

std::unique_ptr<Connector> MakeSocketConnector() { return std::make_unique<SocketConnector>(); }

}  // namespace http
