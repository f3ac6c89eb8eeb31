#include "crafting/CraftCounter.h"
#include "host/GameAccess.h"

namespace txl {

void RefreshInventoryCounters(UObject* character) {
    if (character == nullptr) return;
    auto* inventory =
        host::Field<UObject*>(character, "APrimalCharacter.MyInventoryComponent"_field);
    if (inventory == nullptr) return;
    // By index, re-reading the array each step: announcing an item runs game code that may
    // add items and so move the array.
    for (int32 i = 0;; ++i) {
        auto& items = host::Field<TArray<UPrimalItem*>>(
            inventory, "UPrimalInventoryComponent.InventoryItems"_field);
        if (items.Data == nullptr || i >= items.ArrayNum) return;
        UPrimalItem* item = items.Data[i];
        if (RefreshBlueprintCounter(item))
            host::Call<void>("UPrimalItem.UpdatedItem(bool,bool)"_function, item, false, false);
    }
}

}  // namespace txl
