#include <benchmark/benchmark.h>

#include <string>

#include "BenchPairs.h"
#include "BenchWorld.h"
#include "emugame/GameCalls.h"
#include "shared/PluginState.h"

// A whole counted craft as the game runs it: queue (ask how many more), start, finish.
namespace {

using txlbench::AllocationScope;
using txlbench::BenchWorld;

void CountedCraft(benchmark::State& state, bool hooked) {
    BenchWorld world(hooked);
    // An adopted blueprint of a class without a limit of its own: the counter allows a million
    // crafts, so every iteration is a counted one and none exhausts it.
    txl::State().MaxCrafts = 1000000;
    emu::Item* blueprint = world.GiveItem(world.processor->MyInventoryComponent,
                                          world.classes.unlimitedBlueprint, true);
    txl::State().AdoptionCounts[std::to_string(blueprint->ItemID.ItemID1) + ":" +
                                std::to_string(blueprint->ItemID.ItemID2)] = 0;
    emu::InventoryComponent* inventory = world.processor->MyInventoryComponent;
    emu::calls::UpdatedItem(blueprint, false, false);
    AllocationScope allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            emu::calls::GetMaximumAdditionalCrafting(blueprint, inventory, nullptr));
        emu::calls::CraftBlueprint(blueprint, false);
        benchmark::DoNotOptimize(emu::calls::FinishCraftingBlueprint(blueprint));
    }
    allocations.Finish(state);
}

const bool kRegistered = [] {
    // Each craft leaves its product in the inventory: a fixed count keeps the world comparable.
    txlbench::RegisterPair("6 whole counted craft", CountedCraft,
                           [](benchmark::internal::Benchmark* b) { b->Iterations(3000); });
    return true;
}();

}  // namespace
