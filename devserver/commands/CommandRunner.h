#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include <spdlog/logger.h>

#include "CommandInterpreter.h"
#include "GameEventLog.h"

namespace txl::devserver {

// Runs commands on the game thread for every input: prints replies (console, script) or
// returns them (RCON), and logs what the game did meanwhile.
class CommandRunner {
  public:
    CommandRunner(GameSession& session, std::ostream& out, bool echo,
                  std::shared_ptr<spdlog::logger> logger);
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Prints the echo (when asked), then the reply line(s), and flushes.
    CommandResult RunAndPrint(const std::string& line, CommandSource source);
    // For RCON: the reply text, an error line included.
    CommandResult Run(const std::string& line, CommandSource source);
    // Lets the clock follow the wall clock (--realtime).
    void AdvanceClock(std::int64_t milliseconds);
    // Prints a script's comment line when echoing, so that a script can narrate.
    void Echo(const std::string& text) {
        if (echo_) Print(text);
    }
    void Print(const std::string& text);

  private:
    GameSession& session_;
    CommandInterpreter interpreter_;
    GameEventLog events_;
    std::ostream& out_;
    bool echo_;
};

}  // namespace txl::devserver
