#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/input_wake.h"
#include "http/body_buffer.h"
#include "http/error.h"
#include "http/resume.h"
#include "http/settings.h"

namespace http {

class Connector;

// Progress: one begin per body read (announced length, 0 if none), then the cumulative count
// after each block. The pump handles waiting window messages; it may run any handler. It runs
// at least every pumpIntervalMs while the transfer waits, and after every block. With an input
// to watch, every wait ends as soon as input arrives and the pump handles it then, and after a
// block the pump runs only when it is due or input is waiting, which it asks at most every
// inputAskMs: so a message that comes while data streams waits that long at most, plus a block.
struct Events {
  std::function<void(std::int64_t announced)> workBegin;
  std::function<void(std::int64_t received)> work;
  std::function<void()> pump;
  const base::InputWake* input = nullptr;
};

// One client per transfer. Get fetches the URL into body (cut to the bytes received) or
// throws HttpError; the destructor closes any connection still open. A body of announced length
// with a validator that is cut is asked for again from where it stopped. When the tries run out,
// the failed transfer leaves its bytes in body and resumable() says where a later transfer may
// Continue; after any other failure body is released.
class HttpClient {
public:
  HttpClient(Settings settings, Events events);
  // With a connector of the caller's (tests and the fuzzer play server through it).
  HttpClient(Settings settings, Events events, std::unique_ptr<Connector> connector);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  void Get(const std::string& url, BodyBuffer& body);
  // Goes on with the bytes in body, left by an earlier transfer, with a range request at once.
  void Continue(const ResumePoint& from, BodyBuffer& body);
  const std::optional<ResumePoint>& resumable() const;

private:
  template <class Transfer>
  void Run(BodyBuffer& body, Transfer transfer);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace http
