#pragma once

#include "WorldJsonNode.h"
#include "emugame/Game.h"

namespace txl::devserver {

// The status a processor's success is kept in; a world file gives it at the top of "status".
inline constexpr int kSuccessStatus = 11;

// Defines the standard classes (unless "standardClasses" is false) and the file's item,
// creature and container classes.
void DefineWorldClasses(const WorldJsonNode& root, emu::Game& game);

// Bytes the game allocates for an actor of this class: its members or its declared size.
std::size_t ActorObjectSize(emu::Game& game, const emu::Class* cls);

}  // namespace txl::devserver
