#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "emugame/Game.h"
#include "emugame/StandardClasses.h"
#include "emugame/World.h"
#include "emuhost/CommandRegistry.h"
#include "processor/ProcessorTestWorld.h"
#include "support/EmulatedServer.h"

// Helpers for running the inspect command and reading what it left behind.
namespace txltest {

emu::ItemSpec ItemOf(emu::Class* cls, bool blueprint = false, bool engram = false);

// The sixteen hex digits a script holds for an object's address.
std::string AddressHex(const void* object);

inline const std::string kWritten =
    "7,0,Thalassovex runtime capture written to processor-runtime.json";
inline const std::string kFailed = "7,0,Thalassovex inspection failed; see API log";

// A server with the plug-in loaded from its own folder and an RCON client.
struct InspectScenario {
    explicit InspectScenario(const std::string& config = "{}")
        : classes(emu::DefineStandardClasses(server.Game())),
          plugin(config),
          folder(plugin.Folder()),
          connection(OpenConnection(server.Game())) {}

    emu::Game& Game() { return server.Game(); }
    std::filesystem::path Report() const { return folder.Path() / "processor-runtime.json"; }
    emu::Character* SpawnProcessor(float currentSuccess) {
        emu::Character* creature = Game().SpawnCreature(classes.processor, 50000);
        creature->MyCharacterStatusComponent->CurrentStatusValues[kSuccess] = currentSuccess;
        return creature;
    }
    // As an RCON client would, with packet id 7; true if the host found the command.
    bool Inspect() {
        if (!emuhost::CommandRegistry::Instance().HasRconCommand("Thalassovex.Inspect"))
            return false;
        RunCommand(Game(), "Thalassovex.Inspect", connection, 7);
        return true;
    }
    std::vector<std::string> Replies() { return txltest::Replies(Game()); }

    txltest::EmulatedServer server;
    emu::StandardClasses classes;
    LoadedPluginFolder plugin;
    PluginFolder& folder;
    emu::RconConnection* connection;
};

}  // namespace txltest
