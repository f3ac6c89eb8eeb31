#include "SimulatedClock.h"

#include <algorithm>
#include <cmath>

namespace txl::devserver {

SimulatedClock::SimulatedClock(std::int64_t timerIntervalMs, GameStep step, TimerTick tick)
    : interval_(std::max<std::int64_t>(1, timerIntervalMs)),
      step_(std::move(step)),
      tick_(std::move(tick)) {}

void SimulatedClock::Advance(std::int64_t milliseconds) {
    const std::int64_t target = now_ + std::max<std::int64_t>(0, milliseconds);
    while (now_ < target) {
        const std::int64_t tickAt = NextTick();
        const std::int64_t stepEnd = std::min(target, tickAt);
        step_(stepEnd - now_);
        now_ = stepEnd;
        if (now_ == tickAt) tick_();
    }
}

void SimulatedClock::Restore(std::int64_t nowMs) {
    now_ = std::max<std::int64_t>(0, nowMs);
}

std::int64_t SimulatedClock::TicksWithin(std::int64_t milliseconds) const {
    return (now_ + std::max<std::int64_t>(0, milliseconds)) / interval_ - now_ / interval_;
}

std::int64_t SimulatedClock::ToMilliseconds(double seconds) {
    return std::llround(seconds * 1000.0);
}

}  // namespace txl::devserver
