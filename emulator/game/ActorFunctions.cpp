#include <cmath>
#include <string>

#include "emugame/Game.h"
#include "emugame/GameCalls.h"
#include "emugame/Hookable.h"
#include "emugame/Publish.h"

// Creature, status and replication functions of the game.
namespace emu {
namespace {

std::string Flags(std::initializer_list<bool> flags) {
    std::string text;
    for (bool flag : flags)
        text += std::string(text.empty() ? "" : ",") + (flag ? "true" : "false");
    return text;
}

void BeginPlay(Character* creature) {
    Game::Instance().Log().Record("BeginPlay", creature);
}

void ServerMultiUse(ObjectBase* controller, ObjectBase* used, int index) {
    Game::Instance().Log().Record(
        "ServerMultiUse_Implementation", used,
        std::to_string(index) + "," + std::to_string(controller != nullptr));
}

bool ValidStatus(int status) {
    return status >= 0 && status < kStatusCount;
}

float CurrentStatus(StatusComponent* component, int status) {
    Game::Instance().ThrowIfFailing("BPGetCurrentStatusValue");
    return ValidStatus(status) ? component->CurrentStatusValues[status] : 0.0f;
}

float MaxStatus(StatusComponent* component, int status) {
    Game::Instance().ThrowIfFailing("BPGetMaxStatusValue");
    return ValidStatus(status) ? component->MaxStatusValues[status] : 0.0f;
}

// A status may level up while points are available and it has not reached ten levels.
bool CanLevelUp(StatusComponent* component, int status, bool) {
    Game::Instance().ThrowIfFailing("CanLevelUp");
    return ValidStatus(status) && component->LevelUpPointsAvailable > 0 &&
           component->NumberOfLevelUpPointsApplied[status] < 10;
}

void ServerSyncReplicatedValues(StatusComponent* component) {
    Game::Instance().ThrowIfFailing("ServerSyncReplicatedValues");
    Game::Instance().Log().Record("ServerSyncReplicatedValues", component);
}

void ForceNetUpdate(Actor* actor, bool a, bool b, bool c) {
    Game::Instance().Log().Record("ForceNetUpdate", actor, Flags({a, b, c}));
}

void FlushNetDormancy(Actor* actor) {
    Game::Instance().Log().Record("FlushNetDormancy", actor);
}

void MulticastProperty(Actor* actor, FName property, bool flag) {
    Game& game = Game::Instance();
    game.ThrowIfFailing("MulticastProperty");
    game.Log().Record("MulticastProperty", actor, game.NameText(property) + "," + Flags({flag}));
}

using BeginPlayHook = Hookable<&BeginPlay, void(APrimalDinoCharacter*)>;
using ServerMultiUseHook =
    Hookable<&ServerMultiUse, void(AShooterPlayerController*, UObject*, int)>;
using CurrentStatusHook = Hookable<&CurrentStatus, float(UPrimalCharacterStatusComponent*,
                                                         EPrimalCharacterStatusValue::Type)>;
using MaxStatusHook = Hookable<&MaxStatus, float(UPrimalCharacterStatusComponent*,
                                                 EPrimalCharacterStatusValue::Type)>;
using CanLevelUpHook = Hookable<&CanLevelUp, bool(UPrimalCharacterStatusComponent*,
                                                  EPrimalCharacterStatusValue::Type, bool)>;

}  // namespace

namespace calls {
void BeginPlay(Character* creature) {
    BeginPlayHook::Call(creature);
}
void ServerMultiUse(ObjectBase* controller, ObjectBase* used, int index) {
    ServerMultiUseHook::Call(controller, used, index);
}
float BPGetCurrentStatusValue(StatusComponent* component, int status) {
    return CurrentStatusHook::Call(component, status);
}
float BPGetMaxStatusValue(StatusComponent* component, int status) {
    return MaxStatusHook::Call(component, status);
}
bool CanLevelUp(StatusComponent* component, int status, bool flag) {
    return CanLevelUpHook::Call(component, status, flag);
}
void ServerSyncReplicatedValues(StatusComponent* component) {
    emu::ServerSyncReplicatedValues(component);
}
void ForceNetUpdate(Actor* actor, bool a, bool b, bool c) {
    emu::ForceNetUpdate(actor, a, b, c);
}
}  // namespace calls

void Game::BeginPlay(Character* creature) {
    if (IsChildOf(creature->Base.Object.ClassPrivate, FindClass("PrimalDinoCharacter"))) {
        calls::BeginPlay(creature);
    } else {
        journal_.Record("CharacterBeginPlay", creature);
    }
}

void PublishActorFunctions(Publisher& publish) {
    BeginPlayHook::Publish("APrimalDinoCharacter.BeginPlay()");
    ServerMultiUseHook::Publish(
        "AShooterPlayerController.ServerMultiUse_Implementation(UObject*,int)");
    CurrentStatusHook::Publish(
        "UPrimalCharacterStatusComponent.BPGetCurrentStatusValue(EPrimalCharacterStatusValue::"
        "Type)");
    MaxStatusHook::Publish(
        "UPrimalCharacterStatusComponent.BPGetMaxStatusValue(EPrimalCharacterStatusValue::Type)");
    CanLevelUpHook::Publish(
        "UPrimalCharacterStatusComponent.CanLevelUp(EPrimalCharacterStatusValue::Type,bool)");
    publish.Function<&ServerSyncReplicatedValues, void(UPrimalCharacterStatusComponent*)>(
        "UPrimalCharacterStatusComponent.ServerSyncReplicatedValues()");
    publish.Function<&ForceNetUpdate, void(UObject*, bool, bool, bool)>(
        "AActor.ForceNetUpdate(bool,bool,bool)");
    publish.Function<&FlushNetDormancy, void(UObject*)>("AActor.FlushNetDormancy()");
    publish.Function<&MulticastProperty, void(UObject*, FName, bool)>(
        "UPrimalActor.MulticastProperty(FName,bool)");
}

}  // namespace emu
