#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace emu {

// One game call that tests observe: its name, the object it ran on, its arguments as text.
struct JournalEntry {
    std::string call;
    const void* target = nullptr;
    std::string arguments;
};

class Journal {
  public:
    void Record(std::string call, const void* target, std::string arguments = {});
    std::vector<JournalEntry> Entries() const;
    // Entries of one call name, in order.
    std::vector<JournalEntry> Calls(const std::string& call) const;
    void Clear();

  private:
    mutable std::mutex mutex_;
    std::vector<JournalEntry> entries_;
};

}  // namespace emu
