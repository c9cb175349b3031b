#pragma once

// Servers that trickle, stall or never answer, each run against the real client with a pump that
// records when it was called, while "messages" are posted to the client's input every 100 ms:
// for the pump-gap tests and the pump-gap bench.

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
  // Seconds each handled message waited from its posting to the pump.
  std::vector<double> inputDelays;

  // The longest time without a pump: from the start to the first, between two, from the last
  // to the end.
  double LongestGap() const;
  double LongestInputDelay() const;
};

std::vector<std::string> Scenarios();
Run RunScenario(const std::string& name);

}  // namespace trickle
