#include "http/url.h"

#include <algorithm>
#include <cctype>

namespace http {
namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool HasControl(std::string_view s) {
  return std::any_of(s.begin(), s.end(),
                     [](char c) { return IsControl(static_cast<unsigned char>(c)); });
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool IEquals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

// Spaces and bytes outside ASCII are percent-encoded; the rest of a target passes unchanged.
std::string Escape(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    if (c == ' ' || c >= 0x80) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

bool ValidHost(std::string_view host) {
  if (host.empty() || host.size() > 253) return false;
  return std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
  });
}

// Parses "host[:port]"; no user information, no IPv6 literals.
bool ParseAuthority(std::string_view authority, Url& url) {
  std::string_view host = authority;
  url.port = 80;
  auto colon = authority.rfind(':');
  if (colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    std::string_view digits = authority.substr(colon + 1);
    if (!digits.empty()) {
      if (digits.size() > 5) return false;
      unsigned value = 0;
      for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
      }
      if (value == 0 || value > 65535) return false;
      url.port = static_cast<std::uint16_t>(value);
    }
  }
  if (!ValidHost(host)) return false;
  url.host.assign(host);
  std::transform(url.host.begin(), url.host.end(), url.host.begin(), Lower);
  return true;
}

std::string_view StripFragment(std::string_view s) {
  auto hash = s.find('#');
  return hash == std::string_view::npos ? s : s.substr(0, hash);
}

// "//authority/path?query" (the part after "http:").
bool ParseNetworkPath(std::string_view rest, Url& url) {
  if (rest.substr(0, 2) != "//") return false;
  rest.remove_prefix(2);
  auto end = rest.find_first_of("/?");
  if (!ParseAuthority(rest.substr(0, end), url)) return false;
  std::string_view target = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
  std::string path(target.substr(0, target.find('?')));
  std::string_view query = target.find('?') == std::string_view::npos
                               ? std::string_view{}
                               : target.substr(target.find('?'));
  url.target = Escape(path.empty() ? "/" : RemoveDotSegments(path));
  url.target += Escape(query);
  return true;
}

// The scheme of s when s starts with one ("name:"), else empty.
std::string_view SchemeOf(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == ':') return i > 0 ? s.substr(0, i) : std::string_view{};
    bool ok = std::isalpha(static_cast<unsigned char>(c)) ||
              (i > 0 &&
               (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'));
    if (!ok) return {};
  }
  return {};
}

}  // namespace

std::string Url::Path() const { return target.substr(0, target.find('?')); }

std::string Url::HostHeader() const {
  return port == 80 ? host : host + ":" + std::to_string(port);
}

std::string Url::ToString() const { return "http://" + HostHeader() + target; }

std::optional<Url> ParseHttpUrl(std::string_view text) {
  text = StripFragment(text);
  if (HasControl(text)) return std::nullopt;
  std::string_view scheme = SchemeOf(text);
  if (!IEquals(scheme, "http")) return std::nullopt;
  Url url;
  if (!ParseNetworkPath(text.substr(scheme.size() + 1), url)) return std::nullopt;
  return url;
}

std::string RemoveDotSegments(std::string_view in) {
  std::string out;
  while (!in.empty()) {
    if (in.substr(0, 3) == "../")
      in.remove_prefix(3);
    else if (in.substr(0, 2) == "./")
      in.remove_prefix(2);
    else if (in.substr(0, 3) == "/./")
      in.remove_prefix(2);
    else if (in == "/.")
      in = "/";
    else if (in.substr(0, 4) == "/../" || in == "/..") {
      in = in.size() == 3 ? std::string_view("/") : in.substr(3);
      auto slash = out.rfind('/');
      out.erase(slash == std::string::npos ? 0 : slash);
    } else if (in == "." || in == "..")
      in = {};
    else {
      auto next = in.find('/', in[0] == '/' ? 1 : 0);
      out.append(in.substr(0, next));
      in = next == std::string_view::npos ? std::string_view{} : in.substr(next);
    }
  }
  return out.empty() ? "/" : out;
}

LocationProblem ResolveLocation(const Url& base, std::string_view location, Url& next) {
  if (HasControl(location)) return LocationProblem::ControlCharacter;
  location = StripFragment(location);
  std::string_view scheme = SchemeOf(location);
  if (!scheme.empty()) {
    if (IEquals(scheme, "https")) return LocationProblem::Https;
    if (!IEquals(scheme, "http")) return LocationProblem::Unusable;
    location.remove_prefix(scheme.size() + 1);
    next = Url{};
    return ParseNetworkPath(location, next) ? LocationProblem::None : LocationProblem::Unusable;
  }
  if (location.substr(0, 2) == "//") {
    next = Url{};
    return ParseNetworkPath(location, next) ? LocationProblem::None : LocationProblem::Unusable;
  }
  next = base;
  auto q = location.find('?');
  std::string_view path = location.substr(0, q);
  std::string query = q == std::string_view::npos ? std::string{} : Escape(location.substr(q));
  if (path.empty()) {
    // Only a query (or nothing): the path stays.
    next.target = base.Path() +
                  (q == std::string_view::npos ? base.target.substr(base.Path().size()) : query);
    return LocationProblem::None;
  }
  std::string merged;
  if (path[0] == '/') {
    merged.assign(path);
  } else {
    std::string basePath = base.Path();
    merged = basePath.substr(0, basePath.rfind('/') + 1);
    merged.append(path);
  }
  next.target = Escape(RemoveDotSegments(merged)) + query;
  return LocationProblem::None;
}

}  // namespace http
