#include "CraftingProgress.h"

#include "emugame/GameCalls.h"

namespace txl::devserver {
namespace {

constexpr double kDefaultCraftingSeconds = 2.0;
constexpr double kTolerance = 1e-9;

double CraftingSeconds(const emu::Item* item) {
    const auto* sparse =
        static_cast<const emu::ItemSparseClassData*>(item->Object.ClassPrivate->SparseClassData);
    if (sparse != nullptr && sparse->BaseCraftingTime > 0) return sparse->BaseCraftingTime;
    return kDefaultCraftingSeconds;
}

// Weak references: a craft may destroy its own blueprint or any other item.
std::vector<FWeakObjectPtr> CraftingItems(emu::Game& game) {
    std::vector<FWeakObjectPtr> items;
    for (emu::Actor* actor : game.Actors()) {
        emu::InventoryComponent* inventory = game.InventoryOf(&actor->Object);
        if (inventory == nullptr) continue;
        for (int32 i = 0; i < inventory->InventoryItems.ArrayNum; ++i) {
            emu::Item* item = inventory->InventoryItems.Data[i];
            if (item != nullptr && item->CraftQueue > 0)
                items.push_back(game.MakeWeak(&item->Object));
        }
    }
    return items;
}

void RunQueue(emu::Game& game, const FWeakObjectPtr& weak, double seconds) {
    auto* item = reinterpret_cast<emu::Item*>(game.ResolveWeak(weak));
    if (item == nullptr || item->CraftQueue == 0) return;
    const double craftTime = CraftingSeconds(item);
    item->CraftingProgress += seconds;
    while (item->CraftQueue > 0 && item->CraftingProgress + kTolerance >= craftTime) {
        item->CraftingProgress -= craftTime;
        const uint16 queued = item->CraftQueue;
        const int finished = emu::calls::FinishCraftingBlueprint(item);
        item = reinterpret_cast<emu::Item*>(game.ResolveWeak(weak));
        if (item == nullptr) return;
        // A finish that neither crafted nor shortened the queue would repeat forever.
        if (finished == 0 && item->CraftQueue >= queued) item->CraftQueue = 0;
    }
    if (item->CraftQueue == 0) item->CraftingProgress = 0;
}

}  // namespace

void AdvanceCrafting(emu::Game& game, double seconds) {
    for (const FWeakObjectPtr& weak : CraftingItems(game)) RunQueue(game, weak, seconds);
}

}  // namespace txl::devserver
