#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "RconServerOptions.h"
#include "RconServerStatistics.h"

namespace txl::devserver {

class RconCommandQueue;
class RconNetworkLoop;

// Remote console listener. The network runs on a thread of its own; commands are only ever run
// by whoever calls ProcessPending(), which is meant to be the game thread, in arrival order.
class RconServer {
  public:
    // The logger is called from the network thread and from ProcessPending(), so it must be
    // thread-safe, must not throw and must not call back into this server.
    RconServer(RconServerOptions options, RconCommandHandler handler, RconLogger log = {});
    ~RconServer();
    RconServer(const RconServer&) = delete;
    RconServer& operator=(const RconServer&) = delete;

    // Binds and starts the network thread. Throws std::invalid_argument for an empty password,
    // std::system_error when the address cannot be bound, std::logic_error when called twice.
    void Start();
    // Closes every connection and joins the network thread; idempotent.
    void Stop();
    // Valid after Start().
    uint16_t BoundPort() const { return boundPort_; }
    // Any thread; all zero before Start().
    RconServerStatistics Statistics() const;

    // Game thread: runs the handler for each queued command and sends the replies back.
    std::size_t ProcessPending();
    // Game thread: sleeps until a command is queued (true), the timeout passes or Wake() is
    // called (false).
    bool WaitForPending(std::chrono::milliseconds timeout);
    // Ends a WaitForPending() early, from any thread (not from a POSIX signal handler).
    void Wake();

  private:
    RconServerOptions options_;
    RconCommandHandler handler_;
    RconLogger log_;
    std::unique_ptr<RconCommandQueue> queue_;
    std::unique_ptr<RconNetworkLoop> loop_;
    std::thread thread_;
    mutable std::mutex lifecycleMutex_;
    bool started_ = false;
    uint16_t boundPort_ = 0;
};

}  // namespace txl::devserver
