#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimulatedClock.h"

namespace {

using txl::devserver::SimulatedClock;

// Game steps and timer ticks arrive in time order, ticks at every multiple of the interval,
// however the advances are cut.
TEST(DevServerClock, TicksAtEachIntervalAndRunsTheGameInBetween) {
    std::vector<std::string> events;
    std::int64_t ran = 0;
    SimulatedClock clock(
        500,
        [&](std::int64_t milliseconds) {
            ran += milliseconds;
            events.push_back("step");
        },
        [&] { events.push_back("tick@" + std::to_string(ran)); });

    clock.Advance(1200);
    EXPECT_EQ(events, (std::vector<std::string>{"step", "tick@500", "step", "tick@1000", "step"}));
    events.clear();
    clock.Advance(300);  // reaches the tick at 1.5 s exactly
    EXPECT_EQ(events, (std::vector<std::string>{"step", "tick@1500"}));
    EXPECT_EQ(clock.NowMs(), 1500);
    EXPECT_EQ(ran, 1500);

    // Tenths of a second add up exactly.
    SimulatedClock fine(
        100, [](std::int64_t) {}, [&] { events.push_back("t"); });
    events.clear();
    for (int i = 0; i < 1000; ++i) fine.Advance(SimulatedClock::ToMilliseconds(0.1));
    EXPECT_EQ(events.size(), 1000u);
    EXPECT_EQ(fine.TicksWithin(1000), 10);

    // A restored clock ticks where the saved one would have.
    SimulatedClock restored(
        500, [](std::int64_t) {}, [&] { events.push_back("r"); });
    restored.Restore(1400);
    events.clear();
    restored.Advance(100);
    EXPECT_EQ(events, (std::vector<std::string>{"r"}));
}

}  // namespace
