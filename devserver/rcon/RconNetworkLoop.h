#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "RconAuthThrottle.h"
#include "RconCommandQueue.h"
#include "RconServerOptions.h"
#include "RconSession.h"
#include "RconSocket.h"

namespace txl::devserver {

// The single network thread: accepts clients, parses their packets, feeds the command queue and
// writes back the replies the game thread posts.
class RconNetworkLoop {
  public:
    using Clock = std::chrono::steady_clock;

    RconNetworkLoop(const RconServerOptions& options, RconListener listener,
                    RconCommandQueue& queue, const RconLogger& log);

    void Run();
    // Safe from any thread; Run() returns soon after.
    void RequestStop() noexcept;
    void PostReply(RconReply reply);

  private:
    struct Client {
        uint64_t id = 0;
        RconPeer peer;
        std::unique_ptr<RconSession> session;
        std::deque<std::string> outgoing;
        std::size_t outgoingBytes = 0;
        std::size_t sentOfFront = 0;
        Clock::time_point lastReceived;
        bool peerClosed = false;
        bool failed = false;
    };

    void Poll();
    int PollTimeoutMs(Clock::time_point now) const;
    bool WantsInput(const Client& client) const;
    void DeliverReplies();
    void AcceptClients(Clock::time_point now);
    void ReadFrom(Client& client, Clock::time_point now);
    void Flush(Client& client, Clock::time_point now);
    void Reap(Clock::time_point now);
    std::optional<std::string> CloseReason(const Client& client, Clock::time_point now) const;
    void Log(const std::string& line) const;
    void Signal() noexcept;

    const RconServerOptions& options_;
    RconListener listener_;
    RconCommandQueue& queue_;
    const RconLogger& log_;
    RconAuthThrottle throttle_;
    UniqueFd wakeFd_;
    std::atomic<bool> stopRequested_{false};

    std::mutex repliesMutex_;
    std::vector<RconReply> replies_;

    std::vector<Client> clients_;
    uint64_t nextClientId_ = 1;
};

}  // namespace txl::devserver
