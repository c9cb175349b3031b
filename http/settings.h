#pragma once

#include <cstddef>
#include <limits>

namespace http {

// The largest body the client takes into memory: a quarter of the address space, so a 32-bit
// process keeps room for the doubling of a growing buffer and for everything else it holds.
inline constexpr std::size_t kMaxBodyBytes = std::numeric_limits<std::size_t>::max() / 4 + 1;

struct Settings {
  bool followRedirects = true;
  int connectTimeoutMs = 120000;  // name resolution and connect together
  int connectStepMs = 125;
  int readTimeoutMs = 180000;  // each wait for incoming data, and sending the request
  int readSliceMs = 250;
  int pumpIntervalMs = 250;  // the longest time between two pumps while a transfer waits
  int inputAskMs = 15;       // while data streams, the shortest time between two asks for input
  int redirectBodyWaitMs = 5000;
  int resumeWaitMs = 1000;  // before asking again for a cut body; doubled after each try in vain
  std::size_t maxDiscardedBody = std::size_t{1} << 20;  // of a redirect or an error status
  std::size_t maxBody = kMaxBodyBytes;
};

}  // namespace http
