#include <benchmark/benchmark.h>

#include "BenchWorld.h"
#include "crafting/CraftCounter.h"
#include "emugame/GameCalls.h"

namespace {

// Every craft start and every item announcement refreshes the blueprint's counter; the common
// case is a counter that is already settled.
void BM_SettledCounterRefresh(benchmark::State& state) {
    txlbench::BenchWorld world;
    auto* item = reinterpret_cast<UPrimalItem*>(world.GiveLimitedBlueprint());
    txl::RefreshBlueprintCounter(item);
    for (auto _ : state) benchmark::DoNotOptimize(txl::RefreshBlueprintCounter(item));
}
BENCHMARK(BM_SettledCounterRefresh);

// The game asks how many more crafts may be queued whenever a player looks at the blueprint.
void BM_MaximumAdditionalCrafting(benchmark::State& state) {
    txlbench::BenchWorld world;
    emu::Item* blueprint = world.GiveLimitedBlueprint();
    for (auto _ : state) {
        benchmark::DoNotOptimize(emu::calls::GetMaximumAdditionalCrafting(
            blueprint, world.processor->MyInventoryComponent, nullptr));
    }
}
BENCHMARK(BM_MaximumAdditionalCrafting);

}  // namespace
