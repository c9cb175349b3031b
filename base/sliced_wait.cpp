#include "base/sliced_wait.h"

#include <algorithm>

namespace base {

PumpPacer::PumpPacer(std::function<void()> pump, int intervalMs)
    : pump_(std::move(pump)), interval_(intervalMs), last_(Clock::now()) {}

void PumpPacer::Pump() {
  last_ = Clock::now();
  if (pump_) pump_();
}

void PumpPacer::PumpIfDue() {
  if (Clock::now() - last_ >= interval_) Pump();
}

int PumpPacer::MsUntilDue() const {
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(last_ + interval_ - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 1));
}

WaitResult WaitInSlices(const std::function<bool(int ms)>& step, int sliceMs, int limitMs,
                        PumpPacer& pacer) {
  long long waited = 0;
  for (;;) {
    pacer.PumpIfDue();
    long long left = std::max<long long>(limitMs - waited, 1);
    int slice = static_cast<int>(std::min<long long>({sliceMs, left, pacer.MsUntilDue()}));
    auto start = PumpPacer::Clock::now();
    bool ready = step(std::max(slice, 1));
    waited += std::chrono::duration_cast<std::chrono::milliseconds>(PumpPacer::Clock::now() - start)
                  .count();
    if (ready) return WaitResult::Ready;
    if (waited >= limitMs) return WaitResult::TimedOut;
    pacer.Pump();
  }
}

}  // namespace base
