#pragma once

#include <nlohmann/json.hpp>

#include "GameSession.h"

namespace txl::devserver {

// The running world as a world file: the loaded file's class definitions, the time, the craft
// rolls, and every live actor with everything the game keeps of it. Loading it gives the same
// world back.
nlohmann::ordered_json SaveWorld(GameSession& session);

}  // namespace txl::devserver
