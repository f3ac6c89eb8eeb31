#pragma once

#include "WorldJsonNode.h"
#include "WorldPlan.h"
#include "emugame/Game.h"

namespace txl::devserver {

// An item id "A:B"; anything else fails the node.
FItemNetID ItemIdOf(const WorldJsonNode& node);

// One entry of an actor's "items".
PlannedItem PlanItem(const WorldJsonNode& node, emu::Game& game);

}  // namespace txl::devserver
