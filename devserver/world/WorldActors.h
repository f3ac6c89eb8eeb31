#pragma once

#include "WorldJsonNode.h"
#include "WorldPlan.h"
#include "emugame/Game.h"

namespace txl::devserver {

// Checks "actors" and "shares" against the classes already defined in `game`.
WorldPlan PlanWorldActors(const WorldJsonNode& root, emu::Game& game);

}  // namespace txl::devserver
