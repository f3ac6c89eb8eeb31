#include <gtest/gtest.h>

#include "RconAuthThrottle.h"

namespace txl::devserver {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class RconAuthThrottleTest : public ::testing::Test {
  protected:
    static RconAuthThrottleOptions Options() {
        RconAuthThrottleOptions options;
        options.firstDelay = milliseconds(100);
        options.maxDelay = milliseconds(350);
        options.forgetAfter = seconds(60);
        options.maxTrackedAddresses = 2;
        return options;
    }

    RconAuthThrottle throttle_{Options()};
    RconAuthThrottle::Clock::time_point now_ = RconAuthThrottle::Clock::now();
};

TEST_F(RconAuthThrottleTest, DelayDoublesWithFailuresUpToTheCap) {
    EXPECT_EQ(throttle_.DelayFor("a", now_), milliseconds(0));
    throttle_.RecordFailure("a", now_);
    EXPECT_EQ(throttle_.DelayFor("a", now_), milliseconds(100));
    throttle_.RecordFailure("a", now_);
    EXPECT_EQ(throttle_.DelayFor("a", now_), milliseconds(200));
    for (int i = 0; i < 40; ++i) {
        throttle_.RecordFailure("a", now_);
    }
    EXPECT_EQ(throttle_.DelayFor("a", now_), milliseconds(350));
}

TEST_F(RconAuthThrottleTest, OldFailuresAreForgottenAndTheCountRestarts) {
    throttle_.RecordFailure("a", now_);
    throttle_.RecordFailure("a", now_);
    const auto later = now_ + seconds(61);
    EXPECT_EQ(throttle_.DelayFor("a", later), milliseconds(0));
    throttle_.RecordFailure("a", later);
    EXPECT_EQ(throttle_.DelayFor("a", later), milliseconds(100));
}

TEST_F(RconAuthThrottleTest, SuccessClearsTheAddress) {
    throttle_.RecordFailure("a", now_);
    throttle_.RecordSuccess("a");
    EXPECT_EQ(throttle_.DelayFor("a", now_), milliseconds(0));
}

TEST_F(RconAuthThrottleTest, FullTableDropsTheOldestOffender) {
    throttle_.RecordFailure("a", now_);
    throttle_.RecordFailure("b", now_ + seconds(1));
    throttle_.RecordFailure("c", now_ + seconds(2));
    EXPECT_EQ(throttle_.DelayFor("a", now_ + seconds(2)), milliseconds(0));
    EXPECT_EQ(throttle_.DelayFor("b", now_ + seconds(2)), milliseconds(100));
    EXPECT_EQ(throttle_.DelayFor("c", now_ + seconds(2)), milliseconds(100));
}

}  // namespace
}  // namespace txl::devserver
