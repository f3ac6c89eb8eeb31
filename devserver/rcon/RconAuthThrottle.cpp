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

// Under a flood of addresses the table stays bounded: an address without a ban goes first, the
// one whose last failure is oldest; failing that, the ban that ends soonest.
void RconAuthThrottle::MakeRoom(Clock::time_point now) {
    if (records_.size() < options_.maxTrackedAddresses || records_.empty()) return;
    const auto weight = [now](const Record& record) {
        if (now < record.bannedUntil) return record.bannedUntil;
        return record.failures.empty() ? Clock::time_point{} : record.failures.back();
    };
    records_.erase(std::min_element(
        records_.begin(), records_.end(),
        [&](const auto& a, const auto& b) { return weight(a.second) < weight(b.second); }));
}

}  // namespace txl::devserver
