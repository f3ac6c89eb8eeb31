#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include <spdlog/logger.h>

#include "CommandRunner.h"
#include "DevServerOptions.h"
#include "RconServer.h"

namespace txl::devserver {

// The RCON listener as the game thread sees it: requests wait in its queue until the loop runs
// them, one by one, through the same commands as the console.
class RemoteConsole {
  public:
    // Binds and starts listening; throws (std::system_error and the like) when it cannot.
    RemoteConsole(const DevServerOptions& options, std::shared_ptr<spdlog::logger> logger);
    ~RemoteConsole();
    RemoteConsole(const RemoteConsole&) = delete;
    RemoteConsole& operator=(const RemoteConsole&) = delete;

    uint16_t Port() const { return server_.BoundPort(); }
    // Requests queued before a runner is attached wait for it.
    void Attach(CommandRunner* runner) { runner_ = runner; }
    // Game thread: runs what arrived, in order. True when a client asked to quit.
    bool ProcessPending();
    bool WaitForPending(std::chrono::milliseconds timeout) {
        return server_.WaitForPending(timeout);
    }
    void Stop() { server_.Stop(); }

  private:
    std::string Handle(const std::string& command);

    std::shared_ptr<spdlog::logger> logger_;
    CommandRunner* runner_ = nullptr;
    bool quit_ = false;
    RconServer server_;
};

}  // namespace txl::devserver
