#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ReflectedProperty.h"
#include "emugame/Game.h"

namespace txl::devserver {

// The actors of a world, checked against the game's classes and ready to be spawned.
struct PlannedActor {
    emu::Class* cls = nullptr;
    bool container = false;
    int32 team = 0;
    std::vector<std::pair<ReflectedProperty, double>> properties;
    std::optional<float> current, max, replicatedMax;  // element 11 of the status arrays
    std::vector<emu::ItemSpec> items;
    bool beginPlay = true;
};

// A shared copy of `item`, held by actor `container`, put into actor `actor` (ids from 1).
struct PlannedShare {
    int actor = 0;
    int container = 0;
    FItemNetID item;
    std::optional<FItemNetID> copyId;  // a fresh id when absent
};

struct WorldPlan {
    std::vector<PlannedActor> actors;  // actor ids are positions + 1
    std::vector<PlannedShare> shares;
};

}  // namespace txl::devserver
