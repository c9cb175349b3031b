#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "http/parser.h"
#include "http/url.h"

namespace http {

// Cookies of one transfer: taken from every response, sent back to the hosts and paths they
// apply to, gone when the transfer ends.
class CookieJar {
public:
  void Clear() { cookies_.clear(); }
  void Store(const Url& from, const ResponseHead& head);
  void Store(const Url& from, std::string_view setCookie);
  // The value of a Cookie header for url; empty when no cookie applies.
  std::string HeaderFor(const Url& url) const;
  std::size_t size() const { return cookies_.size(); }

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
