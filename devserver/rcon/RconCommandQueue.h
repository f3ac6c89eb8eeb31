#pragma once

#include <chrono>
#include <condition_variable>
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

// Hands commands from the network thread to the game thread.
class RconCommandQueue {
  public:
    RconCommandQueue() = default;
    RconCommandQueue(const RconCommandQueue&) = delete;
    RconCommandQueue& operator=(const RconCommandQueue&) = delete;

    void Push(RconCommand command);
    std::deque<RconCommand> TakeAll();
    // True when commands are queued; false on timeout or after Wake().
    bool WaitForPending(std::chrono::milliseconds timeout);
    // Ends the current or next wait; not for signal handlers.
    void Wake();

  private:
    bool woken_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<RconCommand> commands_;
};

}  // namespace txl::devserver
