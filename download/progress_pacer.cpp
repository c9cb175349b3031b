#include "download/progress_pacer.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int64_t kProgressLimit = std::numeric_limits<std::int32_t>::max();
// The shortest time between two progress updates of the page within one body. A window paints
// the bar on every update, which costs more than receiving a block on a fast line.
constexpr std::chrono::milliseconds kProgressFrame{30};

}  // namespace

std::int32_t ProgressPacer::Scaled(std::int64_t value) const {
  if (value <= 0) return 0;
  const std::int64_t scaled = value >> shift_;
  return static_cast<std::int32_t>(scaled > kProgressLimit ? kProgressLimit : scaled);
}

void ProgressPacer::Begin(std::int64_t announced) {
  shift_ = 0;
  while (announced > 0 && (announced >> shift_) > kProgressLimit) ++shift_;
  max_ = Scaled(announced);
  width_ = std::max(bar_.ProgressWidth(), 1);
  pending_.reset();
  firstOfBody_ = true;
  bar_.SetProgressMax(max_);
}

std::int64_t ProgressPacer::Filled(std::int32_t position) const {
  return std::int64_t{std::clamp(position, 0, max_)} * width_ / max_;
}

// A transfer reports every block, and the bar repaints on every position it is told. The first
// and the last position of a body and a step back are shown at once, others at most once per
// frame; one held back is shown at the next flush, so the bar never lags for longer than the
// transfer goes without pumping.
void ProgressPacer::Work(std::int64_t received) {
  const std::int32_t position = Scaled(received);
  if (!firstOfBody_ && max_ > 0 && Filled(position) == Filled(shown_)) {
    pending_.reset();
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (firstOfBody_ || (max_ > 0 && position >= max_) || position < shown_ ||
      now - shownAt_ >= kProgressFrame) {
    Show(position);
  } else {
    pending_ = position;
  }
}

void ProgressPacer::Show(std::int32_t position) {
  firstOfBody_ = false;
  pending_.reset();
  shown_ = position;
  shownAt_ = std::chrono::steady_clock::now();
  bar_.SetProgressPosition(position);
}

void ProgressPacer::Flush() {
  if (pending_) Show(*pending_);
}
