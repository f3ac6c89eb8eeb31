#include "SimulatedClock.h"

#include <algorithm>
#include <cmath>

namespace txl::devserver {
namespace {

constexpr double kTolerance = 1e-9;

}  // namespace

SimulatedClock::SimulatedClock(double timerInterval, CraftingStep crafting, TimerTick tick)
    : interval_(timerInterval), crafting_(std::move(crafting)), tick_(std::move(tick)) {}

void SimulatedClock::Advance(double seconds) {
    const double target = now_ + seconds;
    while (true) {
        const double tickAt = NextTick();
        const double stepEnd = std::min(target, tickAt);
        if (stepEnd > now_) {
            crafting_(stepEnd - now_);
            now_ = stepEnd;
        }
        if (tickAt > target + kTolerance) break;
        now_ = std::max(now_, tickAt);
        ++ticks_;
        tick_();
    }
    now_ = std::max(now_, target);
}

double SimulatedClock::TicksWithin(double seconds) const {
    return std::floor((now_ + seconds - NextTick()) / interval_ + kTolerance) + 1;
}

}  // namespace txl::devserver
