#include "RconServer.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "RconCommandQueue.h"
#include "RconLogText.h"
#include "RconNetworkLoop.h"

namespace txl::devserver {

RconServer::RconServer(RconServerOptions options, RconCommandHandler handler, RconLogger log)
    : options_(std::move(options)),
      handler_(std::move(handler)),
      log_(std::move(log)),
      queue_(std::make_unique<RconCommandQueue>()) {}

RconServer::~RconServer() {
    Stop();
}

void RconServer::Start() {
    std::lock_guard lock(lifecycleMutex_);
    if (started_) {
        throw std::logic_error("rcon server already started");
    }
    if (options_.password.empty()) {
        throw std::invalid_argument("rcon password must not be empty");
    }
    loop_ = std::make_unique<RconNetworkLoop>(options_, *queue_, log_);
    boundPort_ = loop_->Port();
    thread_ = std::thread([loop = loop_.get()] { loop->Run(); });
    started_ = true;
}

void RconServer::Stop() {
    std::lock_guard lock(lifecycleMutex_);
    if (loop_) {
        loop_->RequestStop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    queue_->Wake();
}

std::size_t RconServer::ProcessPending() {
    auto commands = queue_->TakeAll();
    for (RconCommand& command : commands) {
        std::string reply;
        std::string failure;
        try {
            reply = handler_(command.text);
        } catch (const std::exception& error) {
            failure = error.what();
        } catch (...) {
            failure = "unknown exception";
        }
        // A throwing command must not take the game loop down; the client still gets an answer.
        if (!failure.empty()) {
            reply = "error: " + failure;
            if (log_) {
                log_("rcon: command '" + EscapeForLog(command.text) +
                     "' failed: " + EscapeForLog(failure));
            }
        }
        // After Stop() nobody sends replies, so they are simply dropped.
        if (loop_) {
            loop_->PostReply({command.connectionId, command.sequence, std::move(reply)});
        }
    }
    return commands.size();
}

RconServerStatistics RconServer::Statistics() const {
    std::lock_guard lock(lifecycleMutex_);
    return loop_ ? loop_->Statistics() : RconServerStatistics{};
}

bool RconServer::WaitForPending(std::chrono::milliseconds timeout) {
    return queue_->WaitForPending(timeout);
}

void RconServer::Wake() {
    queue_->Wake();
}

}  // namespace txl::devserver
