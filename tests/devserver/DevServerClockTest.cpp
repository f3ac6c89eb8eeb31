#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimulatedClock.h"

namespace {

using txl::devserver::SimulatedClock;

// Crafting steps and timer ticks arrive in time order, ticks at every multiple of the
// interval, however the advances are cut.
TEST(DevServerClock, TicksAtEachIntervalAndCraftsInBetween) {
    std::vector<std::string> events;
    double crafted = 0;
    SimulatedClock clock(
        0.5,
        [&](double seconds) {
            crafted += seconds;
            events.push_back("craft");
        },
        [&] { events.push_back("tick@" + std::to_string(crafted).substr(0, 3)); });

    clock.Advance(1.2);
    EXPECT_EQ(events,
              (std::vector<std::string>{"craft", "tick@0.5", "craft", "tick@1.0", "craft"}));
    events.clear();
    clock.Advance(0.3);  // reaches the tick at 1.5 exactly
    EXPECT_EQ(events, (std::vector<std::string>{"craft", "tick@1.5"}));
    EXPECT_DOUBLE_EQ(clock.Now(), 1.5);
    EXPECT_DOUBLE_EQ(crafted, 1.5);

    // A thousand small intervals do not drift past a tick.
    SimulatedClock fine(
        0.1, [](double) {}, [&] { events.push_back("t"); });
    events.clear();
    for (int i = 0; i < 1000; ++i) fine.Advance(0.1);
    EXPECT_EQ(events.size(), 1000u);
    EXPECT_EQ(fine.TicksWithin(1.0), 10);
}

}  // namespace
