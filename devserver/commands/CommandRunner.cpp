#include "CommandRunner.h"

namespace txl::devserver {

CommandRunner::CommandRunner(GameSession& session, std::ostream& out, bool echo,
                             std::shared_ptr<spdlog::logger> logger)
    : session_(session),
      interpreter_(session),
      events_(session.Game(), std::move(logger)),
      out_(out),
      echo_(echo) {
    session_.SetAfterStep([this] { events_.Report(); });
}

CommandRunner::~CommandRunner() {
    session_.SetAfterStep(nullptr);
}

CommandResult CommandRunner::Run(const std::string& line, CommandSource source) {
    CommandResult result = interpreter_.Execute(line, source);
    events_.Report();
    return result;
}

CommandResult CommandRunner::RunAndPrint(const std::string& line, CommandSource source) {
    if (echo_) Print("> " + line);
    CommandResult result = Run(line, source);
    if (!result.reply.empty()) Print(result.reply);
    return result;
}

void CommandRunner::AdvanceClock(std::int64_t milliseconds) {
    session_.Clock().Advance(milliseconds);
    events_.Report();
}

void CommandRunner::Print(const std::string& text) {
    out_ << text << '\n';
    out_.flush();
}

}  // namespace txl::devserver
