#include <benchmark/benchmark.h>

#include "BenchPairs.h"
#include "BenchWorld.h"
#include "emugame/GameCalls.h"

// One game call into a hooked function, repeated: the cases the game thread meets most.
namespace {

using txlbench::AllocationScope;
using txlbench::BenchWorld;
using txlbench::RegisterPair;

constexpr int kSuccessStatus = 11;

void StatusRead(benchmark::State& state, bool hooked, bool processor, int status) {
    BenchWorld world(hooked);
    emu::Character* owner = processor ? world.processor : world.ordinary;
    emu::StatusComponent* component = owner->MyCharacterStatusComponent;
    emu::calls::BPGetCurrentStatusValue(component, status);
    AllocationScope allocations;
    for (auto _ : state)
        benchmark::DoNotOptimize(emu::calls::BPGetCurrentStatusValue(component, status));
    allocations.Finish(state);
}

void MaxRead(benchmark::State& state, bool hooked, bool processor) {
    BenchWorld world(hooked);
    emu::StatusComponent* component =
        (processor ? world.processor : world.ordinary)->MyCharacterStatusComponent;
    AllocationScope allocations;
    for (auto _ : state)
        benchmark::DoNotOptimize(emu::calls::BPGetMaxStatusValue(component, kSuccessStatus));
    allocations.Finish(state);
}

void LevelUpCheck(benchmark::State& state, bool hooked, bool processor) {
    BenchWorld world(hooked);
    emu::StatusComponent* component =
        (processor ? world.processor : world.ordinary)->MyCharacterStatusComponent;
    AllocationScope allocations;
    for (auto _ : state)
        benchmark::DoNotOptimize(emu::calls::CanLevelUp(component, kSuccessStatus, false));
    allocations.Finish(state);
}

enum class Holder { Processor, Ordinary };

emu::Item* Blueprint(BenchWorld& world, Holder holder, emu::Class* itemClass, bool blueprint) {
    emu::Character* owner = holder == Holder::Processor ? world.processor : world.ordinary;
    emu::Item* item = world.GiveItem(owner->MyInventoryComponent, itemClass, blueprint);
    emu::calls::UpdatedItem(item, false, false);  // settles a counter where one belongs
    return item;
}

void Announce(benchmark::State& state, BenchWorld& world, emu::Item* item) {
    emu::calls::UpdatedItem(item, false, false);
    AllocationScope allocations;
    std::uint32_t calls = 0;
    for (auto _ : state) {
        emu::calls::UpdatedItem(item, false, false);
        // The game journals every announcement; keep its memory bounded.
        if ((++calls & 0xFFFFU) == 0) {
            state.PauseTiming();
            world.game.Log().Clear();
            state.ResumeTiming();
        }
    }
    allocations.Finish(state);
}

void AskMaximum(benchmark::State& state, BenchWorld& world, emu::Item* item) {
    emu::InventoryComponent* inventory = world.processor->MyInventoryComponent;
    emu::calls::GetMaximumAdditionalCrafting(item, inventory, nullptr);
    AllocationScope allocations;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            emu::calls::GetMaximumAdditionalCrafting(item, inventory, nullptr));
    allocations.Finish(state);
}

// A copy in the processor's inventory whose source sits in a box of `boxItems` blueprints.
emu::Item* SharedCopy(BenchWorld& world, int boxItems) {
    emu::ItemContainer* box = world.game.SpawnContainer(world.classes.storage);
    emu::Item* source = nullptr;
    for (int i = 0; i < boxItems; ++i) {
        emu::Item* item =
            world.GiveItem(box->MyInventoryComponent, world.classes.limitedBlueprint, true);
        if (i == boxItems / 2) source = item;
    }
    emu::Item* copy =
        world.GiveItem(world.processor->MyInventoryComponent, world.classes.limitedBlueprint, true);
    world.game.AddSharingEntry(copy, source, box);
    return copy;
}

void Configure(benchmark::internal::Benchmark* bench) {
    bench->MinTime(0.2);
}

const bool kRegistered = [] {
    RegisterPair(
        "1 status read, other status",
        [](benchmark::State& s, bool h) { StatusRead(s, h, true, 3); }, Configure);
    RegisterPair(
        "1 UpdatedItem, non-blueprint",
        [](benchmark::State& s, bool h) {
            BenchWorld world(h);
            Announce(s, world, Blueprint(world, Holder::Processor, world.classes.resource, false));
        },
        Configure);
    RegisterPair(
        "2 success read, non-processor",
        [](benchmark::State& s, bool h) { StatusRead(s, h, false, kSuccessStatus); }, Configure);
    RegisterPair(
        "2 max read, non-processor", [](benchmark::State& s, bool h) { MaxRead(s, h, false); },
        Configure);
    RegisterPair(
        "2 level-up check, non-processor",
        [](benchmark::State& s, bool h) { LevelUpCheck(s, h, false); }, Configure);
    RegisterPair(
        "3 success read, processor settled",
        [](benchmark::State& s, bool h) { StatusRead(s, h, true, kSuccessStatus); }, Configure);
    RegisterPair(
        "3 max read, processor", [](benchmark::State& s, bool h) { MaxRead(s, h, true); },
        Configure);
    RegisterPair(
        "3 level-up check, processor",
        [](benchmark::State& s, bool h) { LevelUpCheck(s, h, true); }, Configure);
    RegisterPair(
        "4 UpdatedItem, blueprint outside processor",
        [](benchmark::State& s, bool h) {
            BenchWorld world(h);
            Announce(s, world,
                     Blueprint(world, Holder::Ordinary, world.classes.limitedBlueprint, true));
        },
        Configure);
    RegisterPair(
        "4 GetMaximumAdditionalCrafting, outside",
        [](benchmark::State& s, bool h) {
            BenchWorld world(h);
            AskMaximum(s, world,
                       Blueprint(world, Holder::Ordinary, world.classes.limitedBlueprint, true));
        },
        Configure);
    RegisterPair(
        "5 UpdatedItem, counted blueprint",
        [](benchmark::State& s, bool h) {
            BenchWorld world(h);
            Announce(s, world,
                     Blueprint(world, Holder::Processor, world.classes.limitedBlueprint, true));
        },
        Configure);
    RegisterPair(
        "5 GetMaximumAdditionalCrafting, counted",
        [](benchmark::State& s, bool h) {
            BenchWorld world(h);
            AskMaximum(s, world,
                       Blueprint(world, Holder::Processor, world.classes.limitedBlueprint, true));
        },
        Configure);
    RegisterPair(
        "9 UpdatedItem, shared copy, box of 1000",
        [](benchmark::State& s, bool h) {
            BenchWorld world(h);
            Announce(s, world, SharedCopy(world, 1000));
        },
        Configure);
    RegisterPair(
        "9 GetMaximumAdditionalCrafting, shared copy",
        [](benchmark::State& s, bool h) {
            BenchWorld world(h);
            emu::Item* copy = SharedCopy(world, 1000);
            emu::calls::UpdatedItem(copy, false, false);
            AskMaximum(s, world, copy);
        },
        Configure);
    return true;
}();

}  // namespace
