#include "emugame/Journal.h"

namespace emu {

void Journal::Record(std::string call, const void* target, std::string arguments) {
    std::lock_guard lock(mutex_);
    entries_.push_back({std::move(call), target, std::move(arguments)});
}

std::vector<JournalEntry> Journal::Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<JournalEntry> Journal::Calls(const std::string& call) const {
    std::lock_guard lock(mutex_);
    std::vector<JournalEntry> matching;
    for (const auto& entry : entries_) {
        if (entry.call == call) matching.push_back(entry);
    }
    return matching;
}

void Journal::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

}  // namespace emu
