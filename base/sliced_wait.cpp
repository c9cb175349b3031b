#include "base/sliced_wait.h"

#include <algorithm>
#include <cmath>

namespace base {

PumpPacer::PumpPacer(std::function<void()> pump, int intervalMs, const InputWake* input,
                     int askIntervalMs)
    : pump_(std::move(pump)),
      interval_(intervalMs),
      input_(input),
      askInterval_(askIntervalMs),
      last_(Clock::now()),
      asked_(last_ - askInterval_) {}

void PumpPacer::Pump() {
  last_ = Clock::now();
  if (pump_) pump_();
  pumping_ += Clock::now() - last_;
}

void PumpPacer::PumpIfDue(bool askInput) {
  const Clock::time_point now = Clock::now();
  if (now - last_ >= interval_) {
    Pump();
    return;
  }
  if (!askInput || !input_) return;
  asked_ = now;
  if (input_->Waiting()) Pump();
}

void PumpPacer::PumpAfterBlock() {
  if (input_)
    PumpIfDue(Clock::now() - asked_ >= askInterval_);
  else
    Pump();
}

int PumpPacer::MsUntilDue() const {
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(last_ + interval_ - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 1));
}

WaitClock::WaitClock(const PumpPacer& pacer)
    : pacer_(pacer), start_(PumpPacer::Clock::now()), pumpingAtStart_(pacer.pumping()) {}

double WaitClock::ElapsedMs() const {
  auto own = PumpPacer::Clock::now() - start_ - (pacer_.pumping() - pumpingAtStart_);
  return std::chrono::duration<double, std::milli>(own).count();
}

WaitResult WaitInSlices(const std::function<WaitResult(int ms)>& step, int sliceMs, int limitMs,
                        PumpPacer& pacer, const WaitClock& clock) {
  for (;;) {
    pacer.PumpIfDue();
    double left = limitMs - clock.ElapsedMs();
    if (left <= 0) return WaitResult::Timeout;
    int slice = std::min({sliceMs, static_cast<int>(std::ceil(left)), pacer.MsUntilDue()});
    const WaitResult result = step(std::max(slice, 1));
    switch (result) {
      case WaitResult::Ready:
      case WaitResult::Error: return result;
      case WaitResult::Input: pacer.Pump(); break;
      case WaitResult::Timeout:
        if (clock.ElapsedMs() >= limitMs) return WaitResult::Timeout;
        pacer.Pump();
        break;
    }
  }
}

}  // namespace base
