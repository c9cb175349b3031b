#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/sliced_wait.h"
#include "http/error.h"
#include "http/name_lookup.h"
#include "http/settings.h"
#include "http/socket.h"

namespace http {

// One open connection as the client sees it; a fake one lets tests and the fuzzer play server.
// Send and Receive never block; a wait blocks at most the time given, and ends early with Input
// when input is given and waiting.
class Connection {
public:
  virtual ~Connection() = default;
  // Data with the bytes taken (> 0), WouldBlock when there is no room, or Reset.
  virtual net::IoResult Send(const char* data, std::size_t size) = 0;
  virtual net::IoResult Receive(char* dst, std::size_t size) = 0;
  virtual base::WaitResult Wait(net::Want want, int timeoutMs, const base::InputWake* input) = 0;
};

class Connector {
public:
  virtual ~Connector() = default;
  // Opens a connection or throws HttpError (ResolveFailed, ConnectFailed, ConnectTimeout).
  // The pacer pumps while the name resolution and the connect are waited for; input it watches
  // wakes that wait.
  virtual std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                              const Settings& settings, base::PumpPacer& pacer) = 0;
};

// Real sockets: the name lookup on a thread of its own, then the connect on a worker thread.
// A resolver that never returns costs the attempt its connect limit.
std::unique_ptr<Connector> MakeSocketConnector(Resolver resolve = net::ResolveIPv4);
// With lookups shared by every attempt, so that at most one runs at a time.
std::unique_ptr<Connector> MakeSocketConnector(std::shared_ptr<NameLookup> lookup);

}  // namespace http
