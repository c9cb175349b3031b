#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "logic/download_page.h"

// The progress of a transfer as the page gets it. Lengths of 2 GiB or more are scaled down so
// that the page's 32-bit maximum and position keep their ratio; 0 means no announced length.
// Positions that follow each other quickly reach the page at a pace; the latest is always shown
// by the next Flush (every pump and the end of the transfer).
class ProgressPacer {
public:
  explicit ProgressPacer(DownloadPage& page) : page_(page) {}

  void Begin(std::int64_t announced);
  void Work(std::int64_t received);
  void Flush();

private:
  std::int32_t Scaled(std::int64_t value) const;
  void Show(std::int32_t position);

  DownloadPage& page_;
  int shift_ = 0;
  std::int32_t max_ = 0;
  bool firstOfBody_ = true;
  std::int32_t shown_ = 0;
  std::chrono::steady_clock::time_point shownAt_;
  std::optional<std::int32_t> pending_;
};
