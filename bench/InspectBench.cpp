#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "AllocationCounter.h"
#include "BenchPairs.h"
#include "BenchWorld.h"
#include "diagnostics/InspectCommand.h"
#include "emugame/World.h"
#include "shared/PluginState.h"

// The inspect command over 50 processors of 1000 items each: time and the memory it holds.
namespace {

using txlbench::AllocationScope;
using txlbench::BenchWorld;

void Inspect(benchmark::State& state, bool hooked) {
    BenchWorld world(hooked);
    world.FillWithBlueprints(world.processor, 1000);
    for (int i = 1; i < 50; ++i) world.FillWithBlueprints(world.SpawnProcessor(), 1000);
    const auto report = std::filesystem::temp_directory_path() / "txl-bench-runtime.json";
    txl::State().ReportPath = report.wstring();
    auto* connection = reinterpret_cast<RCONClientConnection*>(world.game.NewObject(
        world.game.FindClass("RCONClientConnection"), "Connection", sizeof(emu::RconConnection)));
    RCONPacket packet{};
    packet.Id = 7;
    auto* gameWorld = reinterpret_cast<UWorld*>(world.game.World());
    txl::HandleInspectCommand(connection, &packet, gameWorld);
    double peak = 0.0;
    AllocationScope allocations;
    for (auto _ : state) {
        const auto before = txlbench::LiveBytes();
        txlbench::ResetPeakBytes();
        txl::HandleInspectCommand(connection, &packet, gameWorld);
        peak = static_cast<double>(txlbench::PeakBytes() - before) / (1024.0 * 1024.0);
    }
    allocations.Finish(state);
    state.counters["peakMiB"] = peak;
    state.counters["fileMiB"] =
        static_cast<double>(std::filesystem::file_size(report)) / (1024.0 * 1024.0);
    std::filesystem::remove(report);
}

const bool kRegistered = [] {
    txlbench::RegisterPluginOnly(
        "8 inspect 50x1000", Inspect,
        [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->Iterations(2); });
    return true;
}();

}  // namespace
