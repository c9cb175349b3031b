#pragma once

// Servers that trickle, stall or never answer, each run against the real client with a pump that
// records when it was called: for the pump-gap tests and the pump-gap bench. One row of a table
// each, so that every kind of wait in the client is met by a scenario.

#include <optional>
#include <string>
#include <vector>

#include "http/error.h"

namespace trickle {

struct Run {
  std::optional<http::Error> error;
  std::string body;
  std::string expectedBody;
  std::optional<http::Error> expectedError;
  // Seconds since the start of Get: every pump call, and the end.
  std::vector<double> pumps;
  double end = 0;

  // The longest time without a pump: from the start to the first, between two, from the last
  // to the end.
  double LongestGap() const;
};

std::vector<std::string> Scenarios();
Run RunScenario(const std::string& name);

}  // namespace trickle
