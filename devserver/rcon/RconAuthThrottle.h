#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

namespace txl::devserver {

struct RconAuthThrottleOptions {
    // This many wrong passwords from one address within the window ban it for banTime.
    unsigned maxFailures = 5;
    std::chrono::milliseconds window{std::chrono::seconds(30)};
    std::chrono::milliseconds banTime{std::chrono::minutes(5)};
    std::size_t maxTrackedAddresses = 1024;
};

// A budget of wrong passwords per address. Guesses are counted when they arrive, whether or not
// the client stays for the answer, so hanging up early buys no extra tries.
// Not thread-safe: used by the network thread only.
class RconAuthThrottle {
  public:
    using Clock = std::chrono::steady_clock;

    explicit RconAuthThrottle(RconAuthThrottleOptions options);

    bool Banned(const std::string& address, Clock::time_point now) const;
    // True when this failure starts a ban.
    bool RecordFailure(const std::string& address, Clock::time_point now);

  private:
    struct Record {
        std::deque<Clock::time_point> failures;  // within the window, oldest first
        Clock::time_point bannedUntil;
    };

    void MakeRoom(Clock::time_point now);

    RconAuthThrottleOptions options_;
    std::unordered_map<std::string, Record> records_;
};

}  // namespace txl::devserver
