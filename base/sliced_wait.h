#pragma once

#include <chrono>
#include <functional>

// Waiting on the user-interface thread without freezing the window: every wait is cut into
// slices, and the window's messages are handled (the pump) at least once per pump interval of
// wall-clock time, whether the slices bring anything or not.
namespace base {

// Calls the pump when it is due: at most intervalMs after the previous call began.
class PumpPacer {
public:
  using Clock = std::chrono::steady_clock;

  PumpPacer(std::function<void()> pump, int intervalMs);

  // Pumps now.
  void Pump();
  // Pumps if the interval has passed since the last pump.
  void PumpIfDue();
  // Milliseconds until the next pump is due, at least 1.
  int MsUntilDue() const;

private:
  std::function<void()> pump_;
  std::chrono::milliseconds interval_;
  Clock::time_point last_;
};

enum class WaitResult { Ready, TimedOut };

// Runs step(ms), which waits at most ms for something and says whether it happened, in slices
// of at most sliceMs that never run past the next due pump. After every slice that brought
// nothing the pump runs. Only the time spent in the steps counts towards limitMs, not the time
// spent pumping.
WaitResult WaitInSlices(const std::function<bool(int ms)>& step, int sliceMs, int limitMs,
                        PumpPacer& pacer);

}  // namespace base
