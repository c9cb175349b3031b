#pragma once

#include <chrono>
#include <functional>

#include "base/input_wake.h"

// Waiting on the user-interface thread without freezing the window: every wait is cut into
// slices, and the window's messages are handled (the pump) at least once per pump interval of
// wall-clock time, whether the slices bring anything or not, and at once when input arrives.
namespace base {

// Calls the pump when it is due: at most intervalMs after the previous call began, or as soon as
// input is waiting when there is an input to watch.
class PumpPacer {
public:
  using Clock = std::chrono::steady_clock;

  // askIntervalMs: after a block, the shortest time between two questions whether input waits.
  PumpPacer(std::function<void()> pump, int intervalMs, const InputWake* input = nullptr,
            int askIntervalMs = 0);

  // Pumps now.
  void Pump();
  // Pumps if the interval has passed since the last pump, or (when askInput) input is waiting.
  // Asking for input calls the window system, which is slow under some hosts: a caller that
  // asks again a moment later skips it.
  void PumpIfDue(bool askInput = true);
  // After a block of data: without an input to ask, always; with one, only when due, and input
  // is asked at most once per ask interval. Data that streams in without a wait would otherwise
  // ask the window system after every block; the waits still wake on input at once.
  void PumpAfterBlock();
  // Milliseconds until the next pump is due, at least 1.
  int MsUntilDue() const;
  // What the waits watch besides their socket; null when nothing.
  const InputWake* input() const { return input_; }
  // All the time spent in the pump so far.
  Clock::duration pumping() const { return pumping_; }

private:
  std::function<void()> pump_;
  std::chrono::milliseconds interval_;
  const InputWake* input_;
  std::chrono::milliseconds askInterval_;
  Clock::time_point last_;
  Clock::time_point asked_;
  Clock::duration pumping_{};
};

// The time a wait has taken: the wall time since it began less the time spent pumping. Nothing
// the other side does (a readiness without data, a wait that returns at once) stops it.
class WaitClock {
public:
  explicit WaitClock(const PumpPacer& pacer);
  double ElapsedMs() const;

private:
  const PumpPacer& pacer_;
  PumpPacer::Clock::time_point start_;
  PumpPacer::Clock::duration pumpingAtStart_;
};

// Runs step(ms), which waits at most ms, in slices of at most sliceMs that never run past the
// next due pump, until it is ready or fails (that result), or the clock reaches limitMs
// (Timeout). After every slice that brought nothing, and at once after input, the pump runs.
WaitResult WaitInSlices(const std::function<WaitResult(int ms)>& step, int sliceMs, int limitMs,
                        PumpPacer& pacer, const WaitClock& clock);

}  // namespace base
