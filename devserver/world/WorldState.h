#pragma once

#include <nlohmann/json.hpp>

#include "GameSession.h"

namespace txl::devserver {

// The whole world in the stable shape tools read:
// {"time", "actors": [{"id", "class", "kind", "team", "properties", "status", "items"}]}.
nlohmann::ordered_json DescribeWorld(GameSession& session);

}  // namespace txl::devserver
