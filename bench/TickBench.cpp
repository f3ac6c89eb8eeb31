#include <benchmark/benchmark.h>

#include <string>

#include "BenchPairs.h"
#include "BenchWorld.h"
#include "processor/EnforcementTimer.h"

// The enforcement timer over a settled world: every tracked processor and its inventory.
namespace {

using txlbench::AllocationScope;
using txlbench::BenchWorld;

void SettledTick(benchmark::State& state, bool hooked, int processors, int items) {
    BenchWorld world(hooked);
    world.FillWithBlueprints(world.processor, items);
    for (int i = 1; i < processors; ++i) world.FillWithBlueprints(world.SpawnProcessor(), items);
    txl::RunEnforcementTimer();  // attaches the counters
    txl::RunEnforcementTimer();
    world.game.Log().Clear();
    AllocationScope allocations;
    for (auto _ : state) txl::RunEnforcementTimer();
    allocations.Finish(state);
    // What a settled tick asked of the game: nothing is expected.
    state.counters["writes"] = benchmark::Counter(static_cast<double>(world.JournalSize()),
                                                  benchmark::Counter::kAvgIterations);
}

const bool kRegistered = [] {
    for (int processors : {10, 50, 200}) {
        for (int items : {10, 100, 1000}) {
            const int total = processors * items;
            txlbench::RegisterPluginOnly(
                "7 tick " + std::to_string(processors) + "x" + std::to_string(items),
                [processors, items](benchmark::State& s, bool h) {
                    SettledTick(s, h, processors, items);
                },
                [total](benchmark::internal::Benchmark* b) {
                    b->Unit(benchmark::kMillisecond);
                    if (total >= 50000)
                        b->Iterations(3);
                    else
                        b->MinTime(0.2);
                });
        }
    }
    return true;
}();

}  // namespace
