#pragma once

#include <functional>

namespace txl::devserver {

// Game time in seconds. Advancing runs the crafts and fires the host's timer at each multiple
// of the interval, in time order.
class SimulatedClock {
  public:
    using CraftingStep = std::function<void(double seconds)>;
    using TimerTick = std::function<void()>;

    SimulatedClock(double timerInterval, CraftingStep crafting, TimerTick tick);

    void Advance(double seconds);
    double Now() const { return now_; }
    double TimerInterval() const { return interval_; }
    // Timer ticks an advance of `seconds` would fire, to refuse absurd requests up front.
    double TicksWithin(double seconds) const;

  private:
    double interval_;
    CraftingStep crafting_;
    TimerTick tick_;
    double now_ = 0;
    long long ticks_ = 0;  // counted, so that many small intervals do not drift

    double NextTick() const { return static_cast<double>(ticks_ + 1) * interval_; }
};

}  // namespace txl::devserver
