#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace txl::devserver {

struct RconCommand {
    uint64_t connectionId = 0;
    uint64_t sequence = 0;
    std::string text;
};

struct RconReply {
    uint64_t connectionId = 0;
    uint64_t sequence = 0;
    std::string text;
};

// Hands commands from the network thread to the game thread. Waiting uses an eventfd rather
// than a condition variable so that Wake() stays async-signal-safe.
class RconCommandQueue {
  public:
    RconCommandQueue();
    ~RconCommandQueue();
    RconCommandQueue(const RconCommandQueue&) = delete;
    RconCommandQueue& operator=(const RconCommandQueue&) = delete;

    void Push(RconCommand command);
    std::deque<RconCommand> TakeAll();
    // True when commands are queued; false on timeout or after Wake().
    bool WaitForPending(std::chrono::milliseconds timeout);
    void Wake() noexcept;

  private:
    bool HasPending();
    void Signal() noexcept;
    void DrainSignal() noexcept;

    int eventFd_ = -1;
    std::atomic<bool> woken_{false};
    std::mutex mutex_;
    std::deque<RconCommand> commands_;
};

}  // namespace txl::devserver
