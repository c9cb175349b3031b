#include <mutex>
#include <thread>

#include "http/transport.h"

namespace http {
namespace {

class SocketConnection final : public Connection {
public:
  explicit SocketConnection(std::unique_ptr<net::Socket> socket) : socket_(std::move(socket)) {}
  net::IoResult Send(const char* data, std::size_t size) override {
    return socket_->Send(data, size);
  }
  net::IoResult Receive(char* dst, std::size_t size) override {
    return socket_->Receive(dst, size);
  }
  base::WaitResult Wait(net::Want want, int timeoutMs, const base::InputWake* input) override {
    return socket_->Wait(want, timeoutMs, input);
  }

private:
  std::unique_ptr<net::Socket> socket_;
};

// What the connect worker and the waiting thread share: the socket, and the outcome under a lock.
struct ConnectJob {
  std::mutex mutex;
  base::WakeEvent finished;
  bool connected = false;
  std::string error;
  std::unique_ptr<net::Socket> socket = std::make_unique<net::Socket>();
};

// Owns the worker that runs the blocking connect. On every way out (also an exception from the
// pump) a connect in progress is ended and the worker joined.
class ConnectWorker {
public:
  ConnectWorker(std::uint32_t address, std::uint16_t port)
      : job_(std::make_shared<ConnectJob>()), thread_([job = job_, address, port] {
          std::string error;
          bool ok = job->socket->Connect(address, port, error);
          {
            std::lock_guard lock(job->mutex);
            job->connected = ok;
            job->error = std::move(error);
          }
          job->finished.Set();
        }) {}
  ~ConnectWorker() { GiveUp(); }
  ConnectWorker(const ConnectWorker&) = delete;
  ConnectWorker& operator=(const ConnectWorker&) = delete;

  const base::WakeEvent& finished() const { return job_->finished; }
  void GiveUp() {
    if (!thread_.joinable()) return;
    job_->socket->Abort();
    thread_.join();
  }
  // After finished: the worker's outcome.
  ConnectJob& Finish() {
    thread_.join();
    return *job_;
  }

private:
  std::shared_ptr<ConnectJob> job_;
  std::thread thread_;
};

class SocketConnector final : public Connector {
public:
  explicit SocketConnector(std::shared_ptr<NameLookup> lookup) : lookup_(std::move(lookup)) {}

  // The name lookup and the connect share the connect limit, both waited for in steps with pumps.
  std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                      const Settings& settings, base::PumpPacer& pacer) override {
    const std::string where = host + ":" + std::to_string(port);
    const base::WaitClock clock(pacer);
    auto waitFor = [&](const base::WakeEvent& event) {
      auto step = [&](int ms) { return base::WaitForEventOrInput(&event, pacer.input(), ms); };
      if (base::WaitInSlices(step, settings.connectStepMs, settings.connectTimeoutMs, pacer,
                             clock) != base::WaitResult::Ready)
        throw HttpError(Error::ConnectTimeout, where);
    };
    std::shared_ptr<LookupJob> lookup;
    while ((lookup = lookup_->Start(host)) && lookup->host() != host) waitFor(lookup->finished());
    if (!lookup) throw HttpError(Error::ResolveFailed, host + ": no lookup thread");
    waitFor(lookup->finished());
    std::uint32_t address = 0;
    if (!lookup->Result(address)) throw HttpError(Error::ResolveFailed, host);

    ConnectWorker worker(address, port);
    waitFor(worker.finished());
    ConnectJob& job = worker.Finish();
    if (!job.socket->valid()) throw HttpError(Error::ConnectFailed, "no socket");
    if (!job.connected) throw HttpError(Error::ConnectFailed, where + ": " + job.error);
    if (!job.socket->SetNonBlocking()) throw HttpError(Error::ConnectFailed, "non-blocking mode");
    return std::make_unique<SocketConnection>(std::move(job.socket));
  }

private:
  std::shared_ptr<NameLookup> lookup_;
};

}  // namespace

std::unique_ptr<Connector> MakeSocketConnector(Resolver resolve) {
  return MakeSocketConnector(std::make_shared<NameLookup>(std::move(resolve)));
}

std::unique_ptr<Connector> MakeSocketConnector(std::shared_ptr<NameLookup> lookup) {
  return std::make_unique<SocketConnector>(std::move(lookup));
}

}  // namespace http
