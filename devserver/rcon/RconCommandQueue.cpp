#include "RconCommandQueue.h"

#include <utility>

namespace txl::devserver {

void RconCommandQueue::Push(RconCommand command) {
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(std::move(command));
    }
    changed_.notify_all();
}

std::deque<RconCommand> RconCommandQueue::TakeAll() {
    std::lock_guard lock(mutex_);
    return std::exchange(commands_, {});
}

bool RconCommandQueue::WaitForPending(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return !commands_.empty() || woken_; });
    if (!commands_.empty()) return true;
    woken_ = false;
    return false;
}

void RconCommandQueue::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
}

}  // namespace txl::devserver
