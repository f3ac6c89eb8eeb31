#include "RconAuthThrottle.h"

#include <algorithm>

namespace txl::devserver {

RconAuthThrottle::RconAuthThrottle(RconAuthThrottleOptions options) : options_(options) {}

bool RconAuthThrottle::Banned(const std::string& address, Clock::time_point now) const {
    const auto it = records_.find(address);
    return it != records_.end() && now < it->second.bannedUntil;
}

bool RconAuthThrottle::RecordFailure(const std::string& address, Clock::time_point now) {
    if (!records_.contains(address)) MakeRoom(now);
    Record& record = records_[address];
    while (!record.failures.empty() && now - record.failures.front() >= options_.window) {
        record.failures.pop_front();
    }
    record.failures.push_back(now);
    if (record.failures.size() < options_.maxFailures) return false;
    record.failures.clear();
    record.bannedUntil = now + options_.banTime;
    return true;
}

bool RconAuthThrottle::Stale(const Record& record, Clock::time_point now) const {
    return now >= record.bannedUntil &&
           (record.failures.empty() || now - record.failures.back() >= options_.window);
}

// Under a flood of addresses the table stays bounded: stale entries go first, then the entry
// whose ban ends soonest (or, failing bans, whose last failure is oldest).
void RconAuthThrottle::MakeRoom(Clock::time_point now) {
    if (records_.size() < options_.maxTrackedAddresses) return;
    std::erase_if(records_, [&](const auto& entry) { return Stale(entry.second, now); });
    if (records_.size() < options_.maxTrackedAddresses || records_.empty()) return;
    const auto weakest =
        std::min_element(records_.begin(), records_.end(), [](const auto& a, const auto& b) {
            const auto key = [](const Record& r) {
                return std::max(r.bannedUntil,
                                r.failures.empty() ? Clock::time_point{} : r.failures.back());
            };
            return key(a.second) < key(b.second);
        });
    records_.erase(weakest);
}

}  // namespace txl::devserver
