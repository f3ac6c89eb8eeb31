#pragma once

#include "AsaApi/EngineTypes.h"

namespace txl {

// The creature's success status; its stored value is the success less 1.0.
inline constexpr int kSuccessStatus = 11;

// MaxChanceFraction - 1.0, in float as the game stores the status.
float SuccessStatusLimit();
// Only creatures of a player team (50000 and above) have their status lowered.
bool IsTeamOwned(const void* creature);
// UActorComponent.OwnerPrivate of a status component.
UObject* StatusOwner(UPrimalCharacterStatusComponent* component);

}  // namespace txl
