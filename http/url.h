#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace http {

// An http URL as the client uses it. target is the request target (path and query), already
// escaped for the request line and never empty.
struct Url {
  std::string host;  // lower case
  std::uint16_t port = 80;
  std::string target = "/";

  std::string Path() const;        // target without the query
  std::string HostHeader() const;  // host, and ":port" unless the port is 80
  std::string ToString() const;
};

// Parses an absolute "http://host[:port][/path][?query]" URL; nullopt for anything else.
std::optional<Url> ParseHttpUrl(std::string_view text);

enum class LocationProblem { None, ControlCharacter, Https, Unusable };

// Resolves a Location header against the URL of the hop that received it.
LocationProblem ResolveLocation(const Url& base, std::string_view location, Url& next);

// Removes "." and ".." segments from an absolute path.
std::string RemoveDotSegments(std::string_view path);

}  // namespace http
