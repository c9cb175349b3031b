#pragma once

// Servers that trickle, stall or never answer, each run against the real client with a pump that
// records when it was called, while "messages" are posted to the client's input every 100 ms:
// for the pump-gap tests and the pump-gap bench. One row of a table each, so that every kind of
// wait in the client is met by a scenario.

#include <optional>
#include <string>
#include <vector>

#include "http/error.h"
#include "tests/support/fetch.h"

namespace trickle {

// A scenario's Get (pumps in seconds since its start, end) and what it should have brought.
struct Run : testsupport::Fetched {
  std::string expectedBody;
  std::optional<http::Error> expectedError;
  // Seconds each handled message waited from its posting to the pump.
  std::vector<double> inputDelays;

  double LongestInputDelay() const;
};

std::vector<std::string> Scenarios();
Run RunScenario(const std::string& name);

}  // namespace trickle
