#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>

namespace txl::devserver {

struct RconAuthThrottleOptions {
    std::chrono::milliseconds firstDelay{500};
    std::chrono::milliseconds maxDelay{8000};
    // Failures older than this no longer slow an address down.
    std::chrono::seconds forgetAfter{600};
    std::size_t maxTrackedAddresses = 1024;
};

// Remembers recent wrong passwords per address and says how long to hold back the next answer.
// Not thread-safe: used by the network thread only.
class RconAuthThrottle {
  public:
    using Clock = std::chrono::steady_clock;

    explicit RconAuthThrottle(RconAuthThrottleOptions options);

    std::chrono::milliseconds DelayFor(const std::string& address, Clock::time_point now) const;
    void RecordFailure(const std::string& address, Clock::time_point now);
    void RecordSuccess(const std::string& address);

  private:
    struct FailureRecord {
        unsigned count = 0;
        Clock::time_point last;
    };

    void ForgetStale(Clock::time_point now);

    RconAuthThrottleOptions options_;
    std::unordered_map<std::string, FailureRecord> failures_;
};

}  // namespace txl::devserver
