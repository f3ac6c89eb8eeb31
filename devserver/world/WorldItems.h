#pragma once

#include "WorldJsonNode.h"
#include "WorldPlan.h"
#include "emugame/Game.h"

namespace txl::devserver {

// One entry of an actor's "items".
PlannedItem PlanItem(const WorldJsonNode& node, emu::Game& game);

}  // namespace txl::devserver
