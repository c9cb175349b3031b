#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace http {

enum class Error {
  InvalidUrl,
  ResolveFailed,
  ConnectFailed,
  ConnectTimeout,
  ReadTimeout,
  ConnectionClosed,  // ended before the status line, headers or a chunked body were complete
  ConnectionReset,   // a socket error inside a message or a body of announced length
  LineTooLong,
  MalformedResponse,  // bad status line, header, chunk size or Content-Length; too many fields
  BadStatus,
  RedirectWithoutLocation,
  RedirectToHttps,
  TooManyRedirects,
  BadLocation,   // a Location that holds control characters
  BodyTooLarge,  // a body longer than the process can hold
  SendFailed,    // the request could not be sent, also within the read time-out
  RangeRefused,  // the answer to a range request does not continue the bytes held
};

std::string_view to_string(Error e);

class HttpError : public std::runtime_error {
public:
  HttpError(Error code, const std::string& detail);
  Error code() const { return code_; }

private:
  Error code_;
};

}  // namespace http
