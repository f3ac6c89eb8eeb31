#include "RconCommandQueue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

namespace txl::devserver {

RconCommandQueue::RconCommandQueue() : eventFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (eventFd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
}

RconCommandQueue::~RconCommandQueue() {
    close(eventFd_);
}

void RconCommandQueue::Push(RconCommand command) {
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(std::move(command));
    }
    Signal();
}

std::deque<RconCommand> RconCommandQueue::TakeAll() {
    // Drain first: a signal that races in afterwards then still wakes the next wait.
    DrainSignal();
    std::lock_guard lock(mutex_);
    return std::exchange(commands_, {});
}

bool RconCommandQueue::WaitForPending(std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    while (true) {
        if (HasPending()) {
            return true;
        }
        if (woken_.exchange(false)) {
            return false;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd fd{eventFd_, POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
        if (ready > 0) {
            DrainSignal();
        }
    }
}

void RconCommandQueue::Wake() noexcept {
    woken_.store(true);
    Signal();
}

bool RconCommandQueue::HasPending() {
    std::lock_guard lock(mutex_);
    return !commands_.empty();
}

void RconCommandQueue::Signal() noexcept {
    const uint64_t one = 1;
    // A full counter already means "readable", so a failed write loses nothing.
    [[maybe_unused]] const auto written = write(eventFd_, &one, sizeof one);
}

void RconCommandQueue::DrainSignal() noexcept {
    uint64_t count = 0;
    [[maybe_unused]] const auto got = read(eventFd_, &count, sizeof count);
}

}  // namespace txl::devserver
