#pragma once

#include "emugame/Game.h"
#include "emugame/StandardClasses.h"

namespace txlbench {

// The plug-in's code installed in this process over a fresh game, as the host would run it.
struct BenchWorld {
    BenchWorld();
    ~BenchWorld();

    // A blueprint of the class-limited kind in the processor's inventory.
    emu::Item* GiveLimitedBlueprint();

    emu::Game& game;
    emu::StandardClasses classes;
    emu::Character* processor = nullptr;
};

}  // namespace txlbench
