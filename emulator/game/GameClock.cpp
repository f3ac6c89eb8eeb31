#include <algorithm>
#include <cmath>
#include <vector>

#include "emugame/Game.h"
#include "emugame/GameCalls.h"
#include "emugame/World.h"

// Simulated time in whole milliseconds: crafting and the garbage collector.
namespace emu {
namespace {

constexpr std::int64_t kDefaultCraftingMs = 2000;

std::int64_t CraftingMs(const Item* item) {
    const auto* sparse =
        static_cast<const ItemSparseClassData*>(item->Object.ClassPrivate->SparseClassData);
    if (sparse == nullptr || !(sparse->BaseCraftingTime > 0.0f)) return kDefaultCraftingMs;
    return std::max<std::int64_t>(1, std::llround(double{sparse->BaseCraftingTime} * 1000.0));
}

}  // namespace

void Game::RunCrafting(std::int64_t milliseconds) {
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
        const std::int64_t craftTime = CraftingMs(item);
        item->CraftingProgressMs += milliseconds;
        while (item->CraftQueue > 0 && item->CraftingProgressMs >= craftTime) {
            item->CraftingProgressMs -= craftTime;
            const int finished = calls::FinishCraftingBlueprint(item);
            item = reinterpret_cast<Item*>(ResolveWeak(weak));
            // A craft that did not finish leaves the rest of the queue waiting.
            if (item == nullptr || finished == 0) break;
        }
        if (item != nullptr && item->CraftQueue == 0) item->CraftingProgressMs = 0;
    }
}

void Game::Advance(std::int64_t milliseconds) {
    const std::int64_t target = nowMs_ + std::max<std::int64_t>(0, milliseconds);
    while (nowMs_ < target) {
        const std::int64_t collection =
            (nowMs_ / kCollectionIntervalMs + 1) * kCollectionIntervalMs;
        const std::int64_t stepEnd = std::min(target, collection);
        RunCrafting(stepEnd - nowMs_);
        SetNowMs(stepEnd);
        if (nowMs_ == collection) CollectGarbage();
    }
}

void Game::SetNowMs(std::int64_t milliseconds) {
    nowMs_ = milliseconds;
    World()->TimeSeconds = static_cast<double>(milliseconds) / 1000.0;
}

}  // namespace emu
