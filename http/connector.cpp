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
  net::WaitStatus Wait(net::Want want, int timeoutMs, const base::InputWake* input) override {
    return socket_->Wait(want, timeoutMs, input);
  }

private:
  std::unique_ptr<net::Socket> socket_;
};

// What the connect worker and the waiting thread share, under a lock. Shared ownership, so a
// worker stuck in a resolver that never returns can be left behind: it finds the job given up
// when the resolver comes back, and ends without touching the network.
struct ConnectJob {
  enum class Phase { Resolving, Connecting, Finished };

  std::mutex mutex;
  base::WakeEvent finished;  // set with the phase Finished
  Phase phase = Phase::Resolving;
  bool givenUp = false;
  bool resolved = false;
  bool connected = false;
  std::string error;
  std::unique_ptr<net::Socket> socket = std::make_unique<net::Socket>();
};

void RunConnect(const std::shared_ptr<ConnectJob>& job, const Resolver& resolve, std::string host,
                std::uint16_t port) {
  std::uint32_t address = 0;
  bool resolved = resolve(host, address);
  {
    std::lock_guard lock(job->mutex);
    job->resolved = resolved;
    if (!resolved || job->givenUp) {
      job->phase = ConnectJob::Phase::Finished;
      job->finished.Set();
      return;
    }
    job->phase = ConnectJob::Phase::Connecting;
  }
  std::string error;
  bool ok = job->socket->Connect(address, port, error);
  std::lock_guard lock(job->mutex);
  job->connected = ok;
  job->error = std::move(error);
  job->phase = ConnectJob::Phase::Finished;
  job->finished.Set();
}

// Owns the worker. On every way out (also an exception from the pump) the job is given up:
// a connect in progress is ended and the worker joined; a worker still resolving is left to
// end by itself.
class ConnectWorker {
public:
  ConnectWorker(Resolver resolve, const std::string& host, std::uint16_t port)
      : job_(std::make_shared<ConnectJob>()),
        thread_([job = job_, resolve = std::move(resolve), host, port] {
          RunConnect(job, resolve, host, port);
        }) {}
  ~ConnectWorker() { GiveUp(); }
  ConnectWorker(const ConnectWorker&) = delete;
  ConnectWorker& operator=(const ConnectWorker&) = delete;

  // Waits at most ms for the worker to finish, and for input when given.
  base::StepResult WaitStep(int ms, const base::InputWake* input) {
    switch (base::WaitForEventOrInput(&job_->finished, input, ms)) {
      case base::Woken::Event: return base::StepResult::Ready;
      case base::Woken::Input: return base::StepResult::Input;
      case base::Woken::Timeout: break;
    }
    return base::StepResult::Nothing;
  }
  void GiveUp() {
    if (!thread_.joinable()) return;
    bool resolving = false;
    {
      std::lock_guard lock(job_->mutex);
      job_->givenUp = true;
      resolving = job_->phase == ConnectJob::Phase::Resolving;
      if (job_->phase == ConnectJob::Phase::Connecting) job_->socket->Abort();
    }
    if (resolving)
      thread_.detach();
    else
      thread_.join();
  }
  // After WaitStep returned true: the worker's outcome.
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
  explicit SocketConnector(Resolver resolve) : resolve_(std::move(resolve)) {}

  std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                      const Settings& settings, base::PumpPacer& pacer) override {
    const std::string where = host + ":" + std::to_string(port);
    ConnectWorker worker(resolve_, host, port);
    const base::WaitClock clock(pacer);
    auto result =
        base::WaitInSlices([&](int ms) { return worker.WaitStep(ms, pacer.input()); },
                           settings.connectStepMs, settings.connectTimeoutMs, pacer, clock);
    if (result == base::WaitResult::TimedOut) {
      worker.GiveUp();
      throw HttpError(Error::ConnectTimeout, where);
    }
    ConnectJob& job = worker.Finish();
    if (!job.resolved) throw HttpError(Error::ResolveFailed, host);
    if (!job.socket->valid()) throw HttpError(Error::ConnectFailed, "no socket");
    if (!job.connected) throw HttpError(Error::ConnectFailed, where + ": " + job.error);
    if (!job.socket->SetNonBlocking()) throw HttpError(Error::ConnectFailed, "non-blocking mode");
    return std::make_unique<SocketConnection>(std::move(job.socket));
  }

private:
  Resolver resolve_;
};

}  // namespace

std::unique_ptr<Connector> MakeSocketConnector(Resolver resolve) {
  return std::make_unique<SocketConnector>(std::move(resolve));
}

}  // namespace http
