#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "WorldPlan.h"
#include "emugame/Game.h"

namespace txl::devserver {

// Defines the world's classes in `game` and checks its actors and shares. Throws
// WorldFileError naming `label` and the place ("world.json: actors[2].items[0]: ...").
WorldPlan LoadWorld(const nlohmann::json& world, const std::string& label, emu::Game& game);
// Reads and parses the file first; a syntax error names the file too.
WorldPlan LoadWorldFile(const std::filesystem::path& file, emu::Game& game);

}  // namespace txl::devserver
