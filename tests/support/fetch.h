#pragma once

// One Get with a fresh client, and everything the tests look at afterwards.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "http/client.h"
#include "http/error.h"
#include "http/transport.h"

namespace testsupport {

struct Fetched {
  std::optional<http::Error> error;
  std::string body;
  const char* bodyData = nullptr;   // the buffer's memory after the Get: null when released
  std::vector<std::string> events;  // "begin N" and "work N", in order
  std::vector<double> pumps;        // seconds since the start of Get, one per pump
  double end = 0;                   // seconds the Get took

  // The longest time without a pump: from the start to the first, between two, from the last
  // to the end.
  double LongestGap() const;
};

// Gets url over connector (the socket layer when null); the events' own callbacks still run.
Fetched Fetch(const std::string& url, const http::Settings& settings = {},
              std::unique_ptr<http::Connector> connector = nullptr, http::Events events = {});

}  // namespace testsupport
