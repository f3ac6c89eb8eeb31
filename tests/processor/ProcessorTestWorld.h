#pragma once

#include <memory>
#include <string>
#include <vector>

#include "emugame/Allocator.h"
#include "emugame/StandardClasses.h"
#include "emugame/World.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/PluginLoader.h"
#include "plugin/HookTable.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"
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

inline emu::Property* Declared(emu::Game& game, emu::Character* creature, const char* name) {
    return emu::FindDeclaredProperty(game, &creature->Base.Object.ClassPrivate->Base, name);
}

// The success status in all three status arrays.
inline void SetSuccess(emu::Character* creature, float current, float maximum, float replicated) {
    emu::StatusComponent* status = creature->MyCharacterStatusComponent;
    status->CurrentStatusValues[kSuccess] = current;
    status->MaxStatusValues[kSuccess] = maximum;
    status->ReplicatedGlobalMaxStatusValues[kSuccess] = replicated;
}

// A processor of the standard class with the given property values and success status.
inline emu::Character* SpawnProcessor(emu::Game& game, int32 team, ProcessorValues values,
                                      float success = -0.7f) {
    emu::Character* creature = game.SpawnCreature(emu::DefineStandardClasses(game).processor, team);
    emu::PropertyValue<float>(creature, Declared(game, creature, "SuccessRateCap")) = values.chance;
    emu::PropertyValue<int32>(creature, Declared(game, creature, "NumberMaxCrafts")) =
        values.crafts;
    emu::PropertyValue<float>(creature, Declared(game, creature, "CraftingSkillLevelMulti")) =
        values.skill;
    SetSuccess(creature, success, success, success);
    return creature;
}

inline ProcessorValues ValuesOf(emu::Game& game, emu::Character* creature) {
    return {
        emu::PropertyValue<float>(creature, Declared(game, creature, "SuccessRateCap")),
        emu::PropertyValue<int32>(creature, Declared(game, creature, "NumberMaxCrafts")),
        emu::PropertyValue<float>(creature, Declared(game, creature, "CraftingSkillLevelMulti"))};
}

// A client connection of the game's RCON server, and the texts sent back on it.
inline emu::RconConnection* OpenConnection(emu::Game& game) {
    return reinterpret_cast<emu::RconConnection*>(game.NewObject(
        game.FindClass("RCONClientConnection"), "RconConnection", sizeof(emu::RconConnection)));
}

inline std::vector<std::string> Replies(emu::Game& game) {
    std::vector<std::string> replies;
    for (const auto& entry : game.Log().Calls("SendMessage")) replies.push_back(entry.arguments);
    return replies;
}

// Runs an RCON command on `connection` with a request packet of this id.
inline void RunCommand(emu::Game& game, const std::string& command, emu::RconConnection* connection,
                       int32 id) {
    RCONPacket packet;
    packet.Id = id;
    packet.Type = 2;
    emuhost::CommandRegistry::Instance().RunRconCommand(
        command, reinterpret_cast<RCONClientConnection*>(connection), &packet,
        reinterpret_cast<UWorld*>(game.World()));
}

// Journal entries of the replication calls, as "Call(arguments)", in order.
inline std::vector<std::string> Replication(emu::Game& game) {
    std::vector<std::string> calls;
    for (const auto& entry : game.Log().Entries()) {
        if (entry.call == "ServerSyncReplicatedValues" || entry.call == "ForceNetUpdate" ||
            entry.call == "FlushNetDormancy" || entry.call == "MulticastProperty") {
            calls.push_back(entry.call + "(" + entry.arguments + ")");
        }
    }
    return calls;
}

// The plug-in library loaded from a temporary folder as the host loads it.
class LoadedPluginFolder {
  public:
    explicit LoadedPluginFolder(const std::string& configJson = "{}")
        : folder_(configJson),
          plugin_(std::make_unique<emuhost::LoadedPlugin>(folder_.Library())) {}
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
    InProcessPlugin() {
        txl::State() = txl::PluginState{};
        txl::State().Hooks = txl::MakeHookTable();
        txl::CreateLogger();
    }
    ~InProcessPlugin() {
        for (const txl::HookRecord& hook : txl::State().Hooks) {
            if (hook.Installed) txl::RemoveHook(hook);
        }
        txl::State().Hooks = txl::MakeHookTable();
        txl::State().TrackedProcessors.clear();
        txl::State().ProcessorLayouts.clear();
    }
    // Installs the plug-in's ten detours on the emulated host.
    void InstallHooks() { txl::InstallHooks(); }
};

}  // namespace txltest
