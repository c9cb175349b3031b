#include "http/cookies.h"

#include <algorithm>
#include <cctype>

namespace http {
namespace {

constexpr std::size_t kMaxCookies = 200;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool HasControl(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool IsIpAddress(std::string_view host) {
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return c == '.' || std::isdigit(static_cast<unsigned char>(c));
  });
}

bool DomainMatches(const std::string& host, const std::string& domain) {
  if (host == domain) return true;
  return !IsIpAddress(host) && host.size() > domain.size() &&
         host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
         host[host.size() - domain.size() - 1] == '.';
}

bool PathMatches(const std::string& requestPath, const std::string& cookiePath) {
  if (requestPath == cookiePath) return true;
  if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) return false;
  return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

std::string DefaultPath(const std::string& requestPath) {
  auto slash = requestPath.rfind('/');
  if (requestPath.empty() || requestPath[0] != '/' || slash == 0) return "/";
  return requestPath.substr(0, slash);
}

}  // namespace

void CookieJar::Store(const Url& from, const ResponseHead& head) {
  for (const Header& h : head.headers)
    if (!h.folded && EqualsIgnoreCase(h.name, "Set-Cookie")) Store(from, h.value);
}

void CookieJar::Store(const Url& from, std::string_view setCookie) {
  auto semi = setCookie.find(';');
  std::string_view pair = setCookie.substr(0, semi);
  auto eq = pair.find('=');
  if (eq == std::string_view::npos) return;
  Cookie c;
  c.name.assign(Trim(pair.substr(0, eq)));
  c.value.assign(Trim(pair.substr(eq + 1)));
  // Whatever goes back to a server must not be able to break the request's lines.
  if (c.name.empty() || HasControl(c.name) || HasControl(c.value) ||
      c.name.find_first_of(" \t,") != std::string::npos ||
      c.name.size() + c.value.size() > kMaxCookieBytes)
    return;
  c.domain = from.host;
  c.path = DefaultPath(from.Path());
  bool expired = false;
  std::string_view attributes =
      semi == std::string_view::npos ? std::string_view{} : setCookie.substr(semi + 1);
  while (!attributes.empty()) {
    auto next = attributes.find(';');
    std::string_view attr = Trim(attributes.substr(0, next));
    attributes = next == std::string_view::npos ? std::string_view{} : attributes.substr(next + 1);
    auto aeq = attr.find('=');
    std::string key = Lower(Trim(attr.substr(0, aeq)));
    std::string_view val =
        aeq == std::string_view::npos ? std::string_view{} : Trim(attr.substr(aeq + 1));
    if (key == "domain" && !val.empty()) {
      if (val.front() == '.') val.remove_prefix(1);
      std::string domain = Lower(val);
      if (domain.empty() || !DomainMatches(from.host, domain)) return;
      c.domain = domain;
      c.hostOnly = false;
    } else if (key == "path" && !val.empty() && val.front() == '/' && !HasControl(val)) {
      c.path.assign(val);
    } else if (key == "max-age" && !val.empty()) {
      expired = val.front() == '-' || val.find_first_not_of('0') == std::string_view::npos;
    } else if (key == "secure") {
      return;  // a plain-http client must neither keep nor send a secure cookie
    }
  }
  auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const Cookie& o) {
    return o.name == c.name && o.domain == c.domain && o.path == c.path;
  });
  if (same != cookies_.end()) {
    c.order = same->order;
    cookies_.erase(same);
  } else {
    c.order = nextOrder_++;
  }
  if (expired || cookies_.size() >= kMaxCookies) return;
  cookies_.push_back(std::move(c));
}

std::string CookieJar::HeaderFor(const Url& url) const {
  std::vector<const Cookie*> matching;
  const std::string path = url.Path();
  for (const auto& c : cookies_) {
    bool hostOk = c.hostOnly ? url.host == c.domain : DomainMatches(url.host, c.domain);
    if (hostOk && PathMatches(path, c.path)) matching.push_back(&c);
  }
  std::stable_sort(matching.begin(), matching.end(), [](const Cookie* a, const Cookie* b) {
    if (a->path.size() != b->path.size()) return a->path.size() > b->path.size();
    return a->order < b->order;
  });
  std::string header;
  for (const Cookie* c : matching) {
    std::size_t separator = header.empty() ? 0 : 2;
    if (header.size() + separator + c->name.size() + 1 + c->value.size() >= kMaxCookieHeaderBytes)
      continue;
    if (separator) header += "; ";
    header += c->name + "=" + c->value;
  }
  return header;
}

}  // namespace http
