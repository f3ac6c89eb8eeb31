#pragma once

#include "AsaApi/EngineTypes.h"

// Detours of the creature's start of play, a player's use, and the success status reads.
namespace txl {

void DetourBeginPlay(APrimalDinoCharacter* creature);
void DetourServerMultiUse(AShooterPlayerController* controller, UObject* used, int index);
float DetourCurrentStatus(UPrimalCharacterStatusComponent* component,
                          EPrimalCharacterStatusValue::Type status);
float DetourMaxStatus(UPrimalCharacterStatusComponent* component,
                      EPrimalCharacterStatusValue::Type status);
bool DetourCanLevelUp(UPrimalCharacterStatusComponent* component,
                      EPrimalCharacterStatusValue::Type status, bool flag);

}  // namespace txl
