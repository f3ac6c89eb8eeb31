#include "RemoteConsole.h"

#include <chrono>
#include <cmath>

#include "RconLogText.h"

namespace txl::devserver {
namespace {

std::chrono::milliseconds Milliseconds(double seconds) {
    return std::chrono::milliseconds(
        static_cast<std::chrono::milliseconds::rep>(std::ceil(seconds * 1000)));
}

RconServerOptions ListenerOptions(const DevServerOptions& options) {
    RconServerOptions listener;
    listener.bindAddress = options.rconBind;
    listener.port = static_cast<uint16_t>(options.rconPort.value_or(0));
    listener.password = options.rconPassword;
    listener.emptyResponsePreamble = options.rconEmptyPreamble;
    listener.authTimeout = Milliseconds(options.rconAuthTimeout);
    listener.authThrottle.maxFailures = static_cast<unsigned>(options.rconBanFailures);
    listener.authThrottle.window = Milliseconds(options.rconBanWindow);
    listener.authThrottle.banTime = Milliseconds(options.rconBanTime);
    listener.replyPackets =
        options.rconWholeReplies ? RconReplyPackets::Whole : RconReplyPackets::Split;
    return listener;
}

}  // namespace

RemoteConsole::RemoteConsole(const DevServerOptions& options,
                             std::shared_ptr<spdlog::logger> logger)
    : logger_(std::move(logger)),
      server_(
          ListenerOptions(options), [this](const std::string& command) { return Handle(command); },
          [log = logger_](const std::string& line) { log->info("{}", line); }) {
    server_.Start();
}

RemoteConsole::~RemoteConsole() {
    server_.Stop();
}

bool RemoteConsole::ProcessPending() {
    if (runner_ != nullptr) server_.ProcessPending();
    return quit_;
}

std::string RemoteConsole::Handle(const std::string& command) {
    logger_->info("rcon> {}", EscapeForLog(command));
    CommandResult result = runner_->Run(command, CommandSource::Rcon);
    quit_ = quit_ || result.quit;
    return result.reply;
}

}  // namespace txl::devserver
