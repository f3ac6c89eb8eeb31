#pragma once

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "RconServer.h"

namespace txl::devserver::rcontest {

inline std::string Echo(const std::string& command) {
    return "ran " + command;
}

inline RconServerOptions TestOptions() {
    RconServerOptions options;
    options.password = "hunter2";
    return options;
}

// A running server plus a stand-in game thread that drains it, as the dev server's loop would.
class RconTestServer {
  public:
    explicit RconTestServer(RconServerOptions options = TestOptions(),
                            RconCommandHandler handler = Echo)
        : server_(std::move(options), Record(std::move(handler)), [this](const std::string& line) {
              std::lock_guard lock(mutex_);
              log_.push_back(line);
          }) {
        server_.Start();
        game_ = std::thread([this] {
            onGameThread = true;
            while (!stopping_.load()) {
                server_.WaitForPending(std::chrono::milliseconds(200));
                server_.ProcessPending();
            }
        });
    }
    ~RconTestServer() {
        stopping_.store(true);
        server_.Wake();
        game_.join();
        server_.Stop();
    }

    uint16_t Port() const { return server_.BoundPort(); }
    RconServerStatistics Statistics() const { return server_.Statistics(); }
    std::vector<std::string> Commands() {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    // Log lines that end with `text`.
    std::size_t Logged(const std::string& text) {
        std::lock_guard lock(mutex_);
        return std::count_if(log_.begin(), log_.end(),
                             [&](const std::string& line) { return line.ends_with(text); });
    }
    bool AllRanOnGameThread() const { return ranElsewhere_.load() == 0; }

  private:
    static inline thread_local bool onGameThread = false;

    RconCommandHandler Record(RconCommandHandler handler) {
        return [this, handler = std::move(handler)](const std::string& command) {
            ranElsewhere_ += onGameThread ? 0 : 1;
            std::lock_guard lock(mutex_);
            commands_.push_back(command);
            return handler(command);
        };
    }

    std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<std::string> log_;
    std::atomic<int> ranElsewhere_{0};
    std::atomic<bool> stopping_{false};
    std::thread game_;
    RconServer server_;
};

}  // namespace txl::devserver::rcontest
