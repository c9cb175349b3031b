#include "http/error.h"

namespace http {

std::string_view to_string(Error e) {
  switch (e) {
    case Error::InvalidUrl: return "invalid URL";
    case Error::ResolveFailed: return "host name cannot be resolved";
    case Error::ConnectFailed: return "connect failed";
    case Error::ConnectTimeout: return "connect timed out";
    case Error::ReadTimeout: return "read timed out";
    case Error::ConnectionClosed: return "connection closed early";
    case Error::ConnectionReset: return "connection reset";
    case Error::LineTooLong: return "line too long";
    case Error::MalformedResponse: return "malformed response";
    case Error::BadStatus: return "bad status";
    case Error::RedirectWithoutLocation: return "redirect without Location";
    case Error::RedirectToHttps: return "redirect to https";
    case Error::TooManyRedirects: return "too many redirects";
    case Error::BadLocation: return "unusable Location";
    case Error::BodyTooLarge: return "body too large";
    case Error::SendFailed: return "request could not be sent";
    case Error::RangeRefused: return "range not continued";
  }
  return "unknown error";
}

HttpError::HttpError(Error code, const std::string& detail)
    : std::runtime_error(std::string(to_string(code)) + (detail.empty() ? "" : ": " + detail)),
      code_(code) {}

}  // namespace http
