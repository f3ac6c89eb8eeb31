#include "emugame/Allocator.h"
#include "emugame/Game.h"
#include "emugame/GameCalls.h"

// Changes the game makes to items while it runs; each one is announced through the hookable
// UpdatedItem, as the game announces its own changes.
namespace emu {

void Game::MoveItem(Item* item, InventoryComponent* to) {
    if (auto* from = reinterpret_cast<InventoryComponent*>(ResolveWeak(item->OwnerInventory)))
        RemoveFromInventory(from, item);
    if (item->CraftQueue > 0) {
        journal_.Record("StopCraftingRepairing", item, "false");
        item->CraftQueue = 0;
    }
    item->CraftingProgressMs = 0;
    ArrayAppend(to->InventoryItems, item);
    item->OwnerInventory = MakeWeak(&to->Component.Object);
    calls::UpdatedItem(item, false, false);
}

Item* Game::ShareBlueprint(InventoryComponent* inventory, const Item* source,
                           ItemContainer* container, std::optional<FItemNetID> id) {
    ItemSpec spec;
    spec.id = id;
    spec.itemClass = source->Object.ClassPrivate;
    spec.blueprint = true;
    Item* copy = GiveItem(inventory, spec);
    AddSharingEntry(copy, source, container);
    calls::UpdatedItem(copy, false, false);
    return copy;
}

}  // namespace emu
