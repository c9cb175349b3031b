#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "http/client.h"
#include "http/socket.h"

namespace http {

// One open connection as the client sees it; a fake one lets tests and the fuzzer play server.
class Connection {
public:
  virtual ~Connection() = default;
  // Sends the whole request; pumps nothing.
  virtual bool Send(std::string_view bytes) = 0;
  // Never blocks.
  virtual net::IoResult Receive(char* dst, std::size_t size) = 0;
  virtual net::WaitStatus WaitReadable(int timeoutMs) = 0;
};

class Connector {
public:
  virtual ~Connector() = default;
  // Opens a connection or throws HttpError (ResolveFailed, ConnectFailed, ConnectTimeout).
  // pump is called while the connect is waited for.
  virtual std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                              const Settings& settings,
                                              const std::function<void()>& pump) = 0;
};

// Real sockets: IPv4 resolution, the connect on a worker thread.
std::unique_ptr<Connector> MakeSocketConnector();

}  // namespace http
