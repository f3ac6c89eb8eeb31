#include "processor/ProcessorDetours.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "host/GameAccess.h"
#include "processor/ProcessorDiscovery.h"
#include "processor/ProcessorEnforcement.h"
#include "processor/StatusEnforcementFlag.h"
#include "processor/SuccessStatus.h"
#include "shared/HookFailure.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"
#include "shared/ScopedValue.h"

namespace txl {

thread_local bool StatusEnforcementActive = false;

namespace {

bool IsProcessorSuccessStatus(UPrimalCharacterStatusComponent* component,
                              EPrimalCharacterStatusValue::Type status) {
    return State().EnforcementEnabled && status == kSuccessStatus &&
           IsProcessorCreature(StatusOwner(component));
}

void EnforceOnStatusRead(UObject* creature) {
    if (StatusEnforcementActive) return;
    try {
        ScopedValue<bool> active(StatusEnforcementActive, true);
        // The read already recognised the owner as a processor: the status detour is hot.
        EnforceRecognisedProcessorLimits(creature, false);
    } catch (const std::exception& error) {
        State().EnforcementEnabled = false;
        Log().error("Thalassovex conversion enforcement failed: {}", error.what());
    }
}

// +infinity is above every limit; a NaN stays, since the game's roll never succeeds on it.
float ClipSuccessStatus(float value) {
    if (std::isnan(value)) return value;
    return std::min(value, SuccessStatusLimit());
}

float ClipCurrentStatus(UPrimalCharacterStatusComponent* component,
                        EPrimalCharacterStatusValue::Type status, float value) {
    if (!IsProcessorSuccessStatus(component, status)) return value;
    EnforceOnStatusRead(StatusOwner(component));
    // The value read before the enforcement, clipped to the limit in force after it.
    return ClipSuccessStatus(value);
}

bool BlocksLevelUp(UPrimalCharacterStatusComponent* component,
                   EPrimalCharacterStatusValue::Type status) {
    if (!State().Config.BlockLevelUpsAtCap || !IsProcessorSuccessStatus(component, status)) {
        return false;
    }
    const float maximum = (&host::Field<float>(
        component, "UPrimalCharacterStatusComponent.MaxStatusValues"_field))[kSuccessStatus];
    // A NaN maximum compares false and does not block.
    return maximum >= SuccessStatusLimit();
}

}  // namespace

void DetourBeginPlay(APrimalDinoCharacter* creature) {
    CallOriginal<kBeginPlayHook, void>(creature);
    EnforceProcessor(reinterpret_cast<UObject*>(creature));
}

void DetourServerMultiUse(AShooterPlayerController* controller, UObject* used, int index) {
    EnforceProcessor(used);
    CallOriginal<kServerMultiUseHook, void>(controller, used, index);
    EnforceProcessor(used);
}

float DetourCurrentStatus(UPrimalCharacterStatusComponent* component,
                          EPrimalCharacterStatusValue::Type status) {
    const float value = CallOriginal<kCurrentStatusHook, float>(component, status);
    try {
        return ClipCurrentStatus(component, status, value);
    } catch (const std::exception& error) {
        LogHookFailure(error);
        return value;
    }
}

float DetourMaxStatus(UPrimalCharacterStatusComponent* component,
                      EPrimalCharacterStatusValue::Type status) {
    const float result = CallOriginal<kMaxStatusHook, float>(component, status);
    try {
        return IsProcessorSuccessStatus(component, status) ? ClipSuccessStatus(result) : result;
    } catch (const std::exception& error) {
        LogHookFailure(error);
        return result;
    }
}

bool DetourCanLevelUp(UPrimalCharacterStatusComponent* component,
                      EPrimalCharacterStatusValue::Type status, bool flag) {
    bool block = false;
    try {
        block = BlocksLevelUp(component, status);
    } catch (const std::exception& error) {
        LogHookFailure(error);
    }
    if (block) return false;
    return CallOriginal<kCanLevelUpHook, bool>(component, status, flag);
}

}  // namespace txl
