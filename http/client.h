#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "http/body_buffer.h"

namespace http {

class Connector;

enum class Error {
  InvalidUrl,
  ResolveFailed,
  ConnectFailed,
  ConnectTimeout,
  ReadTimeout,
  ConnectionClosed,  // ended before the status line, headers or a chunked body were complete
  ConnectionReset,   // a socket error inside a message or a body of announced length
  LineTooLong,
  MalformedResponse,  // bad status line, header, chunk size or Content-Length
  BadStatus,
  RedirectWithoutLocation,
  RedirectToHttps,
  TooManyRedirects,
  BadLocation,   // a Location that holds control characters
  BodyTooLarge,  // an announced length the process cannot hold
  SendFailed,
};

std::string_view to_string(Error e);

class HttpError : public std::runtime_error {
public:
  HttpError(Error code, const std::string& detail);
  Error code() const { return code_; }

private:
  Error code_;
};

struct Settings {
  bool followRedirects = true;
  int connectTimeoutMs = 120000;
  int connectStepMs = 125;
  int readTimeoutMs = 180000;
  int readSliceMs = 250;
  int redirectBodyWaitMs = 5000;
};

// Progress: one begin per body read (announced length, 0 if none), then the cumulative count
// after each block. The pump handles waiting window messages; it may run any handler.
struct Events {
  std::function<void(std::int64_t announced)> workBegin;
  std::function<void(std::int64_t received)> work;
  std::function<void()> pump;
};

// One client per transfer. Get fetches the URL into body (cut to the bytes received) or
// throws HttpError; the destructor closes any connection still open.
class HttpClient {
public:
  HttpClient(Settings settings, Events events);
  // With a connector of the caller's (tests and the fuzzer play server through it).
  HttpClient(Settings settings, Events events, std::unique_ptr<Connector> connector);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  void Get(const std::string& url, BodyBuffer& body);

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace http
