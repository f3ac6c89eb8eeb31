#include "processor/ProcessorDetours.h"

#include "plugin/PluginState.h"

namespace txl {

void DetourBeginPlay(APrimalDinoCharacter* creature) {
    CallOriginal<kBeginPlayHook, void>(creature);
}

void DetourServerMultiUse(AShooterPlayerController* controller, UObject* used, int index) {
    CallOriginal<kServerMultiUseHook, void>(controller, used, index);
}

float DetourCurrentStatus(UPrimalCharacterStatusComponent* component,
                          EPrimalCharacterStatusValue::Type status) {
    return CallOriginal<kCurrentStatusHook, float>(component, status);
}

float DetourMaxStatus(UPrimalCharacterStatusComponent* component,
                      EPrimalCharacterStatusValue::Type status) {
    return CallOriginal<kMaxStatusHook, float>(component, status);
}

bool DetourCanLevelUp(UPrimalCharacterStatusComponent* component,
                      EPrimalCharacterStatusValue::Type status, bool flag) {
    return CallOriginal<kCanLevelUpHook, bool>(component, status, flag);
}

}  // namespace txl
