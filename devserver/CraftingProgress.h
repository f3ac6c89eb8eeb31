#pragma once

#include "emugame/Game.h"

namespace txl::devserver {

// Lets every queued craft in the world run for `seconds` of game time: each blueprint works
// through its queue one craft at a time, and each craft that completes goes through the game's
// hookable FinishCraftingBlueprint.
void AdvanceCrafting(emu::Game& game, double seconds);

}  // namespace txl::devserver
