#pragma once

#include <cstdint>
#include <optional>

#include "ActorTable.h"
#include "GameSession.h"
#include "WorldPlan.h"
#include "emugame/Game.h"

namespace txl::devserver {

// Spawns the planned actors in order, fills their inventories, lets creatures begin play
// (through the game's hookable entry, as a server does once its plug-ins are loaded) and makes
// the shared copies.
void PopulateWorld(const WorldPlan& plan, emu::Game& game, ActorTable& actors);

// The whole world of `plan` in the session: its time, its craft rolls (under `seed` when given,
// else the file's seed) and its definitions, then its actors.
void RestoreWorld(const WorldPlan& plan, GameSession& session,
                  std::optional<std::uint64_t> seed = std::nullopt);

// A new creature or container of `cls`; creatures get their team. Play has not begun yet.
emu::Actor* SpawnActor(emu::Game& game, emu::Class* cls, int32 team);

// A shared copy in `inventory` of `source`, a blueprint held by `container`.
emu::Item* MakeSharedCopy(emu::Game& game, emu::InventoryComponent* inventory,
                          const emu::Item* source, emu::ItemContainer* container,
                          std::optional<FItemNetID> id = std::nullopt);

}  // namespace txl::devserver
