#pragma once

#include <string>
#include <vector>

#include "CommandTable.h"
#include "GameSession.h"

namespace txl::devserver {

struct CommandResult {
    bool ok = true;
    std::string reply;  // one error line when not ok
    bool quit = false;
};

// Runs one command line: the dev server's own commands first, then the RCON commands the
// plug-in registered. An unknown command or a bad argument gives one error line and changes
// nothing.
// Every command name: the dev server's own and the RCON commands the plug-in registered.
std::vector<std::string> CommandNames();

class CommandInterpreter {
  public:
    explicit CommandInterpreter(GameSession& session) : session_(session) {}

    CommandResult Execute(const std::string& line, CommandSource source);
    std::string HelpText() const;

  private:
    GameSession& session_;
};

}  // namespace txl::devserver
