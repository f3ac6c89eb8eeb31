#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emugame/StandardClasses.h"
#include "emugame/World.h"
#include "emuhost/PluginLoader.h"
#include "support/EmulatedServer.h"

// Creatures, connections and plug-in set-ups shared by the processor and reload tests.
namespace txltest {

// Values of the three crafting properties of a creature of the standard processor class.
struct ProcessorValues {
    float chance = 0.0f;
    int32 crafts = 0;
    float skill = 0.0f;
};

inline constexpr int kSuccess = 11;
inline constexpr int32 kTamed = 60000;
inline constexpr int32 kWild = 2000;

// The apply command's replies, which a successful reload also sends.
inline const std::string kApplied = "Thalassovex limits applied and replicated to loaded animals";
inline const std::string kDisabled = "Thalassovex disabled; check API log";
inline const std::string kApplyFailed = "Thalassovex apply failed; check API log";

// A creature as the plug-in sees it.
inline UObject* AsObject(emu::Character* creature) {
    return reinterpret_cast<UObject*>(creature);
}

// A processor of the standard class with the given property values and success status (all
// three status arrays).
emu::Character* SpawnProcessor(emu::Game& game, int32 team, ProcessorValues values,
                               float success = -0.7f);
ProcessorValues ValuesOf(emu::Game& game, emu::Character* creature);
void SetSuccess(emu::Character* creature, float current, float maximum, float replicated);

// A client connection of the game's RCON server, and the texts sent back on it.
emu::RconConnection* OpenConnection(emu::Game& game);
std::vector<std::string> Replies(emu::Game& game);
// Runs an RCON command on `connection` with a request packet of this id.
void RunCommand(emu::Game& game, const std::string& command, emu::RconConnection* connection,
                int32 id);

// Journal entries of the replication calls, as "Call(arguments)", in order.
std::vector<std::string> Replication(emu::Game& game);

// The plug-in library loaded from a temporary folder as the host loads it.
class LoadedPluginFolder {
  public:
    explicit LoadedPluginFolder(const std::string& configJson = "{}");
    PluginFolder& Folder() { return folder_; }
    void Unload() { plugin_.reset(); }

  private:
    PluginFolder folder_;
    std::unique_ptr<emuhost::LoadedPlugin> plugin_;
};

// The plug-in's code linked into the test program, with its state at its defaults and its
// logger over the host's sinks. Construct after the EmulatedServer.
class InProcessPlugin {
  public:
    InProcessPlugin();
    ~InProcessPlugin();
    // Installs the plug-in's ten detours on the emulated host.
    void InstallHooks();
};

}  // namespace txltest
