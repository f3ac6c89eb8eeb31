#include "crafting/CraftingDetours.h"

#include "plugin/PluginState.h"

namespace txl {

void DetourUpdatedItem(UPrimalItem* item, bool first, bool second) {
    CallOriginal<kUpdatedItemHook, void>(item, first, second);
}

void DetourCraftBlueprint(UPrimalItem* item, bool flag) {
    CallOriginal<kCraftBlueprintHook, void>(item, flag);
}

int DetourFinishCrafting(UPrimalItem* item) {
    return CallOriginal<kFinishCraftingHook, int>(item);
}

int DetourMaximumCrafting(UPrimalItem* item, UPrimalInventoryComponent* inventory,
                          AShooterPlayerController* controller) {
    return CallOriginal<kMaximumCraftingHook, int>(item, inventory, controller);
}

bool DetourRemoveItem(UPrimalInventoryComponent* inventory, FItemNetID* id, bool first, bool second,
                      bool third, bool fourth) {
    return CallOriginal<kRemoveItemHook, bool>(inventory, id, first, second, third, fourth);
}

}  // namespace txl
