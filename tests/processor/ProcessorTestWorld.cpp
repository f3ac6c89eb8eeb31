#include "processor/ProcessorTestWorld.h"

#include "emugame/Allocator.h"
#include "emuhost/CommandRegistry.h"
#include "emuhost/NameRegistry.h"
#include "plugin/HookTable.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

namespace txltest {
namespace {

emu::Property* Declared(emu::Game& game, emu::Character* creature, const char* name) {
    return emu::FindDeclaredProperty(game, &creature->Base.Object.ClassPrivate->Base, name);
}

}  // namespace

emu::Character* SpawnProcessor(emu::Game& game, int32 team, ProcessorValues values, float success) {
    emu::Character* creature = game.SpawnCreature(emu::DefineStandardClasses(game).processor, team);
    emu::PropertyValue<float>(creature, Declared(game, creature, "SuccessRateCap")) = values.chance;
    emu::PropertyValue<int32>(creature, Declared(game, creature, "NumberMaxCrafts")) =
        values.crafts;
    emu::PropertyValue<float>(creature, Declared(game, creature, "CraftingSkillLevelMulti")) =
        values.skill;
    SetSuccess(creature, success, success, success);
    return creature;
}

ProcessorValues ValuesOf(emu::Game& game, emu::Character* creature) {
    return {
        emu::PropertyValue<float>(creature, Declared(game, creature, "SuccessRateCap")),
        emu::PropertyValue<int32>(creature, Declared(game, creature, "NumberMaxCrafts")),
        emu::PropertyValue<float>(creature, Declared(game, creature, "CraftingSkillLevelMulti"))};
}

void SetSuccess(emu::Character* creature, float current, float maximum, float replicated) {
    emu::StatusComponent* status = creature->MyCharacterStatusComponent;
    status->CurrentStatusValues[kSuccess] = current;
    status->MaxStatusValues[kSuccess] = maximum;
    status->ReplicatedGlobalMaxStatusValues[kSuccess] = replicated;
}

emu::RconConnection* OpenConnection(emu::Game& game) {
    return reinterpret_cast<emu::RconConnection*>(game.NewObject(
        game.FindClass("RCONClientConnection"), "RconConnection", sizeof(emu::RconConnection)));
}

std::vector<std::string> Replies(emu::Game& game) {
    std::vector<std::string> replies;
    for (const auto& entry : game.Log().Calls("SendMessage")) replies.push_back(entry.arguments);
    return replies;
}

void RunCommand(emu::Game& game, const std::string& command, emu::RconConnection* connection,
                int32 id) {
    RCONPacket packet;
    packet.Id = id;
    packet.Type = 2;
    emuhost::CommandRegistry::Instance().RunRconCommand(
        command, reinterpret_cast<RCONClientConnection*>(connection), &packet,
        reinterpret_cast<UWorld*>(game.World()));
}

std::vector<std::string> Replication(emu::Game& game) {
    std::vector<std::string> calls;
    for (const auto& entry : game.Log().Entries()) {
        if (entry.call == "ServerSyncReplicatedValues" || entry.call == "ForceNetUpdate" ||
            entry.call == "FlushNetDormancy" || entry.call == "MulticastProperty") {
            calls.push_back(entry.call + "(" + entry.arguments + ")");
        }
    }
    return calls;
}

LoadedPluginFolder::LoadedPluginFolder(const std::string& configJson)
    : folder_(configJson), plugin_(std::make_unique<emuhost::LoadedPlugin>(folder_.Library())) {}

InProcessPlugin::InProcessPlugin() {
    txl::State() = txl::PluginState{};
    txl::State().Hooks = txl::MakeHookTable();
    txl::CreateLogger();
}

InProcessPlugin::~InProcessPlugin() {
    for (const txl::HookRecord& hook : txl::State().Hooks) {
        if (hook.Installed) txl::RemoveHook(hook);
    }
    txl::State().Hooks = txl::MakeHookTable();
    txl::State().TrackedProcessors.clear();
    txl::State().ProcessorLayouts.clear();
}

void InProcessPlugin::InstallHooks() {
    txl::InstallHooks();
}

}  // namespace txltest
