#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "logic/download_page.h"

// The progress of a transfer as the page's bar gets it. Lengths of 2 GiB or more are scaled down
// so that the bar's 32-bit maximum and position keep their ratio; 0 means no announced length.
// A position that fills the bar no further than the one shown is not passed on, and those that
// follow each other quickly reach the bar at a pace; the latest is always shown by the next
// Flush (every pump and the end of the transfer).
class ProgressPacer {
public:
  explicit ProgressPacer(ProgressDisplay& bar) : bar_(bar) {}

  void Begin(std::int64_t announced);
  void Work(std::int64_t received);
  void Flush();

private:
  std::int32_t Scaled(std::int64_t value) const;
  // Pixels of the bar filled at this position.
  std::int64_t Filled(std::int32_t position) const;
  void Show(std::int32_t position);

  ProgressDisplay& bar_;
  int shift_ = 0;
  std::int32_t max_ = 0;
  int width_ = 1;
  bool firstOfBody_ = true;
  std::int32_t shown_ = 0;
  std::chrono::steady_clock::time_point shownAt_;
  std::optional<std::int32_t> pending_;
};
