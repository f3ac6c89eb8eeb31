#include <vector>

#include "emugame/Game.h"
#include "emugame/GameCalls.h"

// Crafting over simulated time.
namespace emu {
namespace {

constexpr double kDefaultCraftingSeconds = 2.0;

double CraftingSeconds(const Item* item) {
    const auto* sparse =
        static_cast<const ItemSparseClassData*>(item->Object.ClassPrivate->SparseClassData);
    if (sparse == nullptr || !(sparse->BaseCraftingTime > 0.0f)) return kDefaultCraftingSeconds;
    return sparse->BaseCraftingTime;
}

}  // namespace

void Game::AdvanceCrafting(double seconds) {
    // Weak references: a craft may destroy its own blueprint or any other item.
    std::vector<FWeakObjectPtr> crafting;
    for (Actor* actor : actors_) {
        InventoryComponent* inventory = InventoryOf(&actor->Object);
        if (inventory == nullptr) continue;
        for (int32 i = 0; i < inventory->InventoryItems.ArrayNum; ++i) {
            Item* item = inventory->InventoryItems.Data[i];
            if (item != nullptr && item->CraftQueue > 0)
                crafting.push_back(MakeWeak(&item->Object));
        }
    }
    for (const FWeakObjectPtr& weak : crafting) {
        auto* item = reinterpret_cast<Item*>(ResolveWeak(weak));
        if (item == nullptr || item->CraftQueue == 0) continue;
        const double craftTime = CraftingSeconds(item);
        item->CraftingProgress += seconds;
        while (item->CraftQueue > 0 && item->CraftingProgress >= craftTime) {
            item->CraftingProgress -= craftTime;
            const int finished = calls::FinishCraftingBlueprint(item);
            item = reinterpret_cast<Item*>(ResolveWeak(weak));
            // A craft that did not finish leaves the rest of the queue waiting.
            if (item == nullptr || finished == 0) break;
        }
        if (item != nullptr && item->CraftQueue == 0) item->CraftingProgress = 0;
    }
}

}  // namespace emu
