#include "CommandTable.h"

namespace txl::devserver {

const std::vector<CommandSpec>& DevServerCommands() {
    static const std::vector<CommandSpec> commands = {
        {"spawn", "spawn CLASS [team=N]",
         "a new creature or container of CLASS; a creature begins play. Prints its id.", RunSpawn,
         2, 3},
        {"give", "give ACTOR ITEMCLASS [blueprint] [engram] [id=A:B] [description=TEXT]",
         "a new item in ACTOR's inventory (TEXT in double quotes when it has blanks). Prints its "
         "id.",
         RunGive, 3, 7},
        {"share", "share ACTOR CONTAINER A:B [id=C:D]",
         "a shared copy, in ACTOR's inventory, of the blueprint A:B held by CONTAINER. Prints "
         "the copy's id.",
         RunShare, 4, 5},
        {"move", "move ACTOR A:B TO-ACTOR",
         "moves item A:B from ACTOR's inventory into TO-ACTOR's, as the game's transfer does.",
         RunMove, 4, 4},
        {"use", "use ACTOR", "a player uses the actor.", RunUse, 2, 2},
        {"craft", "craft ACTOR A:B N",
         "asks to queue N crafts from blueprint A:B as the game does. Prints how many were "
         "queued.",
         RunCraft, 4, 4},
        {"advance", "advance SECONDS",
         "runs the simulated clock (whole milliseconds): crafts progress, the host's timer fires, "
         "garbage is collected every 60 seconds.",
         RunAdvance, 2, 2},
        {"destroy", "destroy ACTOR",
         "destroys the actor and everything it holds (freed at the next garbage collection).",
         RunDestroy, 2, 2},
        {"stat", "stat ACTOR",
         "the success status as the game reads it (current, max) and as stored.", RunStat, 2, 2},
        {"setstat", "setstat ACTOR [current=V] [max=V] [replicated=V]",
         "sets stored success-status values, as a cheat would.", RunSetStat, 3, 5},
        {"setprop", "setprop ACTOR NAME VALUE",
         "sets a reflected property of the actor's class, as a cheat would.", RunSetProp, 4, 4},
        {"levelup", "levelup ACTOR STAT",
         "the game's level-up of status STAT (0..11): applied (a point spent, the maximum raised "
         "and replicated) or refused.",
         RunLevelUp, 3, 3},
        {"state", "state [FILE]",
         "the whole world as JSON, printed or written to FILE (console and scripts only).",
         RunState, 1, 2},
        {"save", "save FILE",
         "writes the running world as a world file (console and scripts only); --world FILE "
         "loads it back.",
         RunSave, 2, 2},
        {"restart", "restart",
         "a server restart: saves the world, unloads the plug-in, loads the saved world afresh "
         "and the plug-in again.",
         RunRestart, 1, 1},
        {"config", "config show | config write JSON",
         "prints, or replaces, the plug-in folder's config.json (then try TXL.Reload).", RunConfig,
         2, 1'000'000},
    };
    return commands;
}

}  // namespace txl::devserver
