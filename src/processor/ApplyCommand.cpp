#include "processor/ApplyCommand.h"

#include <exception>
#include <string>

#include "host/EngineText.h"
#include "host/GameAccess.h"
#include "processor/ProcessorDiscovery.h"
#include "processor/ProcessorEnforcement.h"
#include "shared/HookFailure.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

// The actor array the game fills for us; its buffer is ours to release on every way out.
struct ActorArray {
    TArray<AActor*> value;
    ActorArray() = default;
    ActorArray(const ActorArray&) = delete;
    ActorArray& operator=(const ActorArray&) = delete;
    ~ActorArray() { host::ReleaseBufferOrLog(value.Data); }
};

void EnforceLoadedProcessors(UWorld* world, TArray<AActor*>& actors) {
    auto* dinoClass = host::Call<UClass*>("APrimalDinoCharacter.GetPrivateStaticClass()"_function);
    host::Call<void>(
        "UGameplayStatics.GetAllActorsOfClass(UObject*,TSubclassOf<AActor>,TArray<AActor*,"
        "TSizedDefaultAllocator<32>>&)"_function,
        reinterpret_cast<UObject*>(world), dinoClass, &actors);
    // By index, re-reading the array: a game call during one creature's enforcement may change
    // it.
    for (int32 i = 0; i < actors.ArrayNum; ++i) {
        auto* actor = reinterpret_cast<UObject*>(actors.Data[i]);
        if (IsProcessorCreature(actor)) EnforceProcessor(actor);
    }
}

}  // namespace

void HandleApplyCommand(RCONClientConnection* connection, RCONPacket* packet, UWorld* world) {
    ActorArray actors;
    try {
        EnforceLoadedProcessors(world, actors.value);
        host::ReleaseArray(actors.value);
    } catch (const std::exception& error) {
        // The switch may still be on; the administrator must not read this as applied.
        LogHookFailure(error);
        ReplyOrLogFailure(connection, packet, L"Thalassovex apply failed; check API log");
        return;
    }
    ReplyOrLogFailure(connection, packet,
                      State().EnforcementEnabled
                          ? L"Thalassovex limits applied and replicated to loaded animals"
                          : L"Thalassovex disabled; check API log");
}

}  // namespace txl
