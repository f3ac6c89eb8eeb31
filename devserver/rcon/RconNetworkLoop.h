#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include "RconAuthThrottle.h"
#include "RconCommandQueue.h"
#include "RconServerOptions.h"
#include "RconServerStatistics.h"
#include "RconSession.h"

namespace txl::devserver {

// The single network thread: accepts clients, parses their packets, feeds the command queue and
// writes back the replies the game thread posts.
class RconNetworkLoop {
  public:
    using Clock = std::chrono::steady_clock;

    // Binds the listener; throws std::system_error when the address is bad or taken.
    RconNetworkLoop(const RconServerOptions& options, RconCommandQueue& queue,
                    const RconLogger& log);
    ~RconNetworkLoop();

    uint16_t Port() const { return port_; }
    void Run();
    // Safe from any thread; Run() returns soon after.
    void RequestStop() noexcept;
    void PostReply(RconReply reply);
    RconServerStatistics Statistics() const;

  private:
    static constexpr std::size_t kReadChunkBytes = 16384;

    struct Client {
        explicit Client(asio::io_context& io) : socket(io) {}
        uint64_t id = 0;
        asio::ip::tcp::socket socket;
        // Host only: wrong-password throttling is per address, not per port.
        std::string host;
        // host:port, for log lines.
        std::string label;
        std::unique_ptr<RconSession> session;
        std::deque<std::string> outgoing;
        std::size_t outgoingBytes = 0;
        std::array<char, kReadChunkBytes> input{};
        Clock::time_point connectedAt;
        Clock::time_point lastReceived;
        bool reading = false;
        bool writing = false;
        bool peerClosed = false;
        bool failed = false;
    };
    using ClientHandle = std::shared_ptr<Client>;

    void Accept();
    void Admit(asio::ip::tcp::socket socket, Clock::time_point now);
    void Update();
    void StartRead(const ClientHandle& client);
    void StartWrite(const ClientHandle& client);
    void ArmTimer(Clock::time_point now);
    bool WantsInput(const Client& client, std::size_t totalQueued) const;
    std::size_t Allowed(const Client& client, std::size_t totalQueued) const;
    std::size_t TotalQueued() const;
    void Decode(const ClientHandle& client, std::string_view bytes, Clock::time_point now);
    void DeliverReplies();
    bool MakeRoom();
    void Close(const ClientHandle& client, const std::string& reason);
    void RecordPeaks();
    void Reap(Clock::time_point now);
    std::optional<std::string> CloseReason(const Client& client, Clock::time_point now) const;
    void Log(const std::string& line) const;

    const RconServerOptions& options_;
    RconCommandQueue& queue_;
    const RconLogger& log_;
    RconAuthThrottle throttle_;
    // Declared before the sockets and the timer, which must close before it goes.
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer timer_;
    uint16_t port_ = 0;
    std::atomic<bool> stopRequested_{false};

    std::mutex repliesMutex_;
    std::vector<RconReply> replies_;

    mutable std::mutex statisticsMutex_;
    RconServerStatistics statistics_;

    // In connect order, which eviction relies on.
    std::list<ClientHandle> clients_;
    uint64_t nextClientId_ = 1;
};

}  // namespace txl::devserver
