#pragma once

#include "emugame/ObjectModel.h"
#include "emugame/World.h"

// The game's hookable functions. The game's own code calls them through these entries,
// which pass through any installed detour, exactly as a plug-in's call by name would.
namespace emu::calls {

void BeginPlay(Character* creature);
void ServerMultiUse(ObjectBase* controller, ObjectBase* used, int index);
float BPGetCurrentStatusValue(StatusComponent* component, int status);
float BPGetMaxStatusValue(StatusComponent* component, int status);
bool CanLevelUp(StatusComponent* component, int status, bool flag);
void UpdatedItem(Item* item, bool first, bool second);
void CraftBlueprint(Item* item, bool flag);
int FinishCraftingBlueprint(Item* item);
int GetMaximumAdditionalCrafting(Item* item, InventoryComponent* inventory, ObjectBase* controller);
bool RemoveItem(InventoryComponent* inventory, FItemNetID* id, bool first, bool second, bool third,
                bool fourth);

// Functions no plug-in hooks, for the game's own use.
void ServerSyncReplicatedValues(StatusComponent* component);
void ForceNetUpdate(Actor* actor, bool a, bool b, bool c);

}  // namespace emu::calls
