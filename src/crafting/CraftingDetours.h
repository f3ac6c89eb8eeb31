#pragma once

#include "AsaApi/EngineTypes.h"

// Detours of the game's crafting: count, refuse, clamp and retain.
namespace txl {

void DetourUpdatedItem(UPrimalItem* item, bool first, bool second);
void DetourCraftBlueprint(UPrimalItem* item, bool flag);
int DetourFinishCrafting(UPrimalItem* item);
int DetourMaximumCrafting(UPrimalItem* item, UPrimalInventoryComponent* inventory,
                          AShooterPlayerController* controller);
bool DetourRemoveItem(UPrimalInventoryComponent* inventory, FItemNetID* id, bool first, bool second,
                      bool third, bool fourth);

}  // namespace txl
