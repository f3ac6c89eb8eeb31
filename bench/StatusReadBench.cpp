#include <benchmark/benchmark.h>

#include "BenchWorld.h"
#include "emugame/GameCalls.h"

namespace {

// The game reads a processor's success status often; each read runs the detour, which
// re-checks the creature (enforcement without force) before clipping.
void BM_ProcessorSuccessRead(benchmark::State& state) {
    txlbench::BenchWorld world;
    emu::StatusComponent* status = world.processor->MyCharacterStatusComponent;
    for (auto _ : state) benchmark::DoNotOptimize(emu::calls::BPGetCurrentStatusValue(status, 11));
}
BENCHMARK(BM_ProcessorSuccessRead);

// Reads of other statuses must stay close to the game's own cost.
void BM_OtherStatusRead(benchmark::State& state) {
    txlbench::BenchWorld world;
    emu::StatusComponent* status = world.processor->MyCharacterStatusComponent;
    for (auto _ : state) benchmark::DoNotOptimize(emu::calls::BPGetCurrentStatusValue(status, 3));
}
BENCHMARK(BM_OtherStatusRead);

}  // namespace

BENCHMARK_MAIN();
