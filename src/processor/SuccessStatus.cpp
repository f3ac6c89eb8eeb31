#include "processor/SuccessStatus.h"

#include <cstdint>

#include "host/GameAccess.h"
#include "shared/PluginState.h"

namespace txl {

float SuccessStatusLimit() {
    return State().MaxChanceFraction - 1.0f;
}

bool IsTeamOwned(const void* creature) {
    return host::Field<std::int32_t>(creature, "UPrimalActor.TargetingTeam"_field) >= 50000;
}

UObject* StatusOwner(UPrimalCharacterStatusComponent* component) {
    return host::Field<UObject*>(component, "UActorComponent.OwnerPrivate"_field);
}

}  // namespace txl
