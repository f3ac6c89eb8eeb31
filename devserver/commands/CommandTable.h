#pragma once

#include <string>
#include <vector>

#include "CommandWords.h"
#include "GameSession.h"

namespace txl::devserver {

enum class CommandSource { Console, Script, Rcon };

// What a command handler sees.
struct CommandContext {
    GameSession& session;
    const CommandWords& words;
    CommandSource source;
};

struct CommandSpec {
    const char* name;
    const char* usage;
    const char* summary;
    std::string (*run)(CommandContext& context);  // the reply; throws CommandError
    std::size_t minWords;                         // including the command's own name
    std::size_t maxWords;
};

// The dev server's own commands, in the order help lists them.
const std::vector<CommandSpec>& DevServerCommands();

// Handlers, one file per group.
std::string RunSpawn(CommandContext& context);
std::string RunUse(CommandContext& context);
std::string RunDestroy(CommandContext& context);
std::string RunGive(CommandContext& context);
std::string RunShare(CommandContext& context);
std::string RunMove(CommandContext& context);
std::string RunCraft(CommandContext& context);
std::string RunAdvance(CommandContext& context);
std::string RunStat(CommandContext& context);
std::string RunSetStat(CommandContext& context);
std::string RunSetProp(CommandContext& context);
std::string RunLevelUp(CommandContext& context);
std::string RunState(CommandContext& context);
std::string RunSave(CommandContext& context);
std::string RunConfig(CommandContext& context);
std::string RunRestart(CommandContext& context);

}  // namespace txl::devserver
