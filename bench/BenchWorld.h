#pragma once

#include <cstdint>
#include <vector>

#include "emugame/Game.h"
#include "emugame/StandardClasses.h"

namespace txlbench {

// One emulated world, built the same way whether or not the plug-in's hooks are installed, so
// that a pair of benchmarks differs only in the plug-in.
struct BenchWorld {
    explicit BenchWorld(bool hooked);
    ~BenchWorld();
    BenchWorld(const BenchWorld&) = delete;
    BenchWorld& operator=(const BenchWorld&) = delete;

    // A team-owned processor that began play (so the plug-in tracks and settles it).
    emu::Character* SpawnProcessor();
    emu::Item* GiveItem(emu::InventoryComponent* inventory, emu::Class* itemClass, bool blueprint);
    // A processor inventory item: `count` class-limited blueprints.
    void FillWithBlueprints(emu::Character* creature, int count);
    // Journal entries so far: what the game was asked to do.
    std::size_t JournalSize();

    bool hooked;
    emu::Game& game;
    emu::StandardClasses classes;
    emu::Character* processor = nullptr;
    emu::Character* ordinary = nullptr;
};

}  // namespace txlbench
