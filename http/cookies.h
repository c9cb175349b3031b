#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "http/parser.h"
#include "http/url.h"

namespace http {

inline constexpr std::size_t kMaxCookieBytes = 4096;
inline constexpr std::size_t kMaxCookieHeaderBytes = 8192;

// Cookies of one transfer: taken from every response, sent back to the hosts and paths they
// apply to, gone when the transfer ends.
class CookieJar {
public:
  void Clear() { cookies_.clear(); }
  // Takes every Set-Cookie of the head except folded ones, whose lines a server cannot have
  // meant as one cookie.
  void Store(const Url& from, const ResponseHead& head);
  // A cookie longer than kMaxCookieBytes (name and value) is dropped.
  void Store(const Url& from, std::string_view setCookie);
  // The value of a Cookie header for url, shorter than kMaxCookieHeaderBytes: the cookies that
  // apply, most specific path first, as many as fit. Empty when none applies.
  std::string HeaderFor(const Url& url) const;

private:
  struct Cookie {
    std::string name, value, domain, path;
    bool hostOnly = true;
    std::size_t order = 0;
  };
  std::vector<Cookie> cookies_;
  std::size_t nextOrder_ = 0;
};

}  // namespace http
