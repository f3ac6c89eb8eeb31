#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "RconAuthThrottle.h"
#include "RconPacket.h"
#include "RconServerOptions.h"

namespace txl::devserver {

struct RconSessionCommand {
    uint64_t sequence = 0;
    std::string text;
};

// Protocol state of one client, free of I/O. Every request takes a place in line so answers
// leave in request order even when some wait on the game thread.
class RconSession {
  public:
    using Clock = std::chrono::steady_clock;

    RconSession(std::string host, std::string label, const RconServerOptions& options,
                RconAuthThrottle& throttle, const RconLogger& log);

    // Returns commands for the game thread, in arrival order. Decoding stops once `allowed`
    // requests are outstanding or a command waits for the game thread: one at a time bounds what
    // a client's answers can take, however large each one is. The rest stays buffered for a
    // later call (bytes may be empty).
    std::vector<RconSessionCommand> Receive(std::string_view bytes, Clock::time_point now,
                                            std::size_t allowed);
    void Complete(uint64_t sequence, std::string_view reply);
    // Encoded packets whose turn has come, each to be written on its own.
    std::vector<std::string> TakeReadyPackets();

    std::size_t Outstanding() const { return slots_.size(); }
    // Encoded answers held in line, not yet taken.
    std::size_t QueuedBytes() const { return queuedBytes_; }
    // Received, not yet decoded.
    std::size_t BufferedBytes() const { return input_.size(); }
    bool AwaitingGame() const { return awaitingGame_; }
    bool Authenticated() const { return authenticated_; }
    // A protocol violation: drop the connection without further answers.
    bool Broken() const { return broken_; }
    // Nothing more will be read; the connection ends once the queued answers are out.
    bool Finishing() const { return finishing_; }

  private:
    struct Slot {
        uint64_t sequence = 0;
        bool waitingForGame = false;
        int32_t requestId = 0;
        std::vector<std::string> packets;
    };

    void Handle(const RconPacket& packet, Clock::time_point now,
                std::vector<RconSessionCommand>& commands);
    void HandleAuth(const RconPacket& packet, Clock::time_point now);
    void Break(const std::string& reason);
    void Log(const std::string& line) const;
    Slot& AddSlot();
    void AddPacket(Slot& slot, std::string packet);

    std::string host_;
    std::string label_;
    const RconServerOptions& options_;
    RconAuthThrottle& throttle_;
    const RconLogger& log_;

    std::string input_;
    bool authenticated_ = false;
    bool broken_ = false;
    bool finishing_ = false;
    bool awaitingGame_ = false;
    uint64_t nextSequence_ = 0;
    std::size_t queuedBytes_ = 0;
    std::deque<Slot> slots_;
};

}  // namespace txl::devserver
