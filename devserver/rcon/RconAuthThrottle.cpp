#include "RconAuthThrottle.h"

#include <algorithm>

namespace txl::devserver {

RconAuthThrottle::RconAuthThrottle(RconAuthThrottleOptions options) : options_(options) {}

std::chrono::milliseconds RconAuthThrottle::DelayFor(const std::string& address,
                                                     Clock::time_point now) const {
    const auto it = failures_.find(address);
    if (it == failures_.end() || now - it->second.last > options_.forgetAfter) {
        return std::chrono::milliseconds::zero();
    }
    auto delay = options_.firstDelay;
    for (unsigned i = 1; i < it->second.count && delay < options_.maxDelay; ++i) {
        delay *= 2;
    }
    return std::min(delay, options_.maxDelay);
}

void RconAuthThrottle::RecordFailure(const std::string& address, Clock::time_point now) {
    if (failures_.size() >= options_.maxTrackedAddresses) {
        ForgetStale(now);
    }
    if (failures_.size() >= options_.maxTrackedAddresses && !failures_.contains(address)) {
        // Under a flood of addresses keep the most recent offenders rather than grow unbounded.
        const auto oldest = std::min_element(
            failures_.begin(), failures_.end(),
            [](const auto& a, const auto& b) { return a.second.last < b.second.last; });
        failures_.erase(oldest);
    }
    FailureRecord& record = failures_[address];
    if (record.count > 0 && now - record.last > options_.forgetAfter) {
        record.count = 0;
    }
    ++record.count;
    record.last = now;
}

void RconAuthThrottle::RecordSuccess(const std::string& address) {
    failures_.erase(address);
}

void RconAuthThrottle::ForgetStale(Clock::time_point now) {
    std::erase_if(failures_, [&](const auto& entry) {
        return now - entry.second.last > options_.forgetAfter;
    });
}

}  // namespace txl::devserver
