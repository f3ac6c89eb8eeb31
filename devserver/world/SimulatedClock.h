#pragma once

#include <cstdint>
#include <functional>

namespace txl::devserver {

// Game time in whole milliseconds. Advancing runs the game and fires the host's timer at each
// multiple of the interval, in time order.
class SimulatedClock {
  public:
    using GameStep = std::function<void(std::int64_t milliseconds)>;
    using TimerTick = std::function<void()>;

    SimulatedClock(std::int64_t timerIntervalMs, GameStep step, TimerTick tick);

    void Advance(std::int64_t milliseconds);
    std::int64_t NowMs() const { return now_; }
    // A restored world goes on from the time it was saved at, ticks where they would have been.
    void Restore(std::int64_t nowMs);
    std::int64_t TimerIntervalMs() const { return interval_; }
    // Timer ticks an advance of `milliseconds` would fire, to refuse absurd requests up front.
    std::int64_t TicksWithin(std::int64_t milliseconds) const;

    // Seconds as administrators write them, to the nearest millisecond.
    static std::int64_t ToMilliseconds(double seconds);

  private:
    std::int64_t interval_;
    GameStep step_;
    TimerTick tick_;
    std::int64_t now_ = 0;

    std::int64_t NextTick() const { return (now_ / interval_ + 1) * interval_; }
};

}  // namespace txl::devserver
