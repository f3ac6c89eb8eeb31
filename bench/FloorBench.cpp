#include <benchmark/benchmark.h>

#include <string>

#include "AsaApi/Address.h"
#include "AsaApi/Text.h"
#include "BenchPairs.h"
#include "BenchWorld.h"
#include "processor/ProcessorDiscovery.h"

// The prescribed calls alone, without any of the plug-in's logic around them: what one name
// resolution, one name read and one recognition cost. A detour cannot be cheaper than the sum
// of the calls it must make.
namespace {

using txlbench::AllocationScope;
using txlbench::BenchWorld;

const std::string kField = "UPrimalItem.CustomItemDescription";
const std::string kFlag = "UPrimalItem.bIsBlueprint";
const std::string kToString = "FName.ToString(FString&)";
const std::string kFree = "FMemory.Free(void*)";
const std::string kNamePrivate = "UObjectBase.NamePrivate";

void FieldResolution(benchmark::State& state, bool hooked) {
    BenchWorld world(hooked);
    for (auto _ : state) benchmark::DoNotOptimize(GetAddress(world.processor, kField));
}

void FlagResolution(benchmark::State& state, bool hooked) {
    BenchWorld world(hooked);
    for (auto _ : state) benchmark::DoNotOptimize(GetBitField(world.processor, kFlag));
}

// FName.ToString of a class name, the host's conversion of it and the release of the buffer,
// each call resolved by name as the plug-in must.
void NameRead(benchmark::State& state, bool hooked) {
    BenchWorld world(hooked);
    const void* cls = world.processor->Base.Object.ClassPrivate;
    char text[256];
    AllocationScope allocations;
    for (auto _ : state) {
        const auto* name = reinterpret_cast<const FName*>(GetAddress(cls, kNamePrivate));
        FString engine;
        reinterpret_cast<void (*)(const FName*, FString*)>(GetAddress(kToString))(name, &engine);
        const int32 length = UE::Core::Private::GetConvertedLength(
            static_cast<const UTF8CHAR*>(nullptr), engine.Data, engine.ArrayNum - 1);
        UE::Core::Private::Convert(reinterpret_cast<UTF8CHAR*>(text), length + 1, engine.Data,
                                   engine.ArrayNum);
        benchmark::DoNotOptimize(text);
        reinterpret_cast<void (*)(void*)>(GetAddress(kFree))(engine.Data);
    }
    allocations.Finish(state);
}

void Recognition(benchmark::State& state, bool hooked, bool processor) {
    BenchWorld world(hooked);
    const void* creature = processor ? static_cast<const void*>(world.processor)
                                     : static_cast<const void*>(world.ordinary);
    AllocationScope allocations;
    for (auto _ : state) benchmark::DoNotOptimize(txl::IsProcessorCreature(creature));
    allocations.Finish(state);
}

void Configure(benchmark::internal::Benchmark* bench) {
    bench->MinTime(0.2);
}

const bool kRegistered = [] {
    txlbench::RegisterPluginOnly("0 floor: field resolution", FieldResolution, Configure);
    txlbench::RegisterPluginOnly("0 floor: bit-field resolution", FlagResolution, Configure);
    txlbench::RegisterPluginOnly("0 floor: class name read and converted", NameRead, Configure);
    txlbench::RegisterPluginOnly(
        "0 floor: IsProcessorCreature, processor",
        [](benchmark::State& s, bool h) { Recognition(s, h, true); }, Configure);
    txlbench::RegisterPluginOnly(
        "0 floor: IsProcessorCreature, other creature",
        [](benchmark::State& s, bool h) { Recognition(s, h, false); }, Configure);
    return true;
}();

}  // namespace
