#include "WorldFile.h"

#include <cstdint>
#include <fstream>

#include "WorldActors.h"
#include "WorldClasses.h"
#include "WorldFileError.h"
#include "WorldJsonNode.h"

namespace txl::devserver {
namespace {

// A thousand years of simulated time.
constexpr std::int64_t kMaxTimeMs = 1000LL * 365 * 24 * 3600 * 1000;

}  // namespace

WorldPlan LoadWorld(const nlohmann::json& world, const std::string& label, emu::Game& game) {
    WorldJsonNode root(world, label, "");
    root.ExpectObject({"comment", "standardClasses", "itemClasses", "creatureClasses",
                       "containerClasses", "timeMs", "craftSeed", "craftRolls", "actors",
                       "shares"});
    DefineWorldClasses(root, game);
    WorldPlan plan = PlanWorldActors(root, game);
    plan.timeMs = root.IntegerOr("timeMs", 0, 0, kMaxTimeMs);
    if (root.Has("craftSeed"))
        plan.craftSeed = static_cast<std::uint64_t>(root.Member("craftSeed").Integer(0, INT64_MAX));
    plan.craftRolls = static_cast<std::uint64_t>(root.IntegerOr("craftRolls", 0, 0, INT64_MAX));
    for (const char* key :
         {"comment", "standardClasses", "itemClasses", "creatureClasses", "containerClasses"}) {
        if (world.contains(key))
            plan.definitions[key] = nlohmann::ordered_json::parse(world[key].dump());
    }
    return plan;
}

WorldPlan LoadWorldFile(const std::filesystem::path& file, emu::Game& game) {
    std::string label = file.string();
    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw WorldFileError(label + ": cannot open the file");
    nlohmann::json world;
    try {
        world = nlohmann::json::parse(stream);
    } catch (const nlohmann::json::parse_error& error) {
        throw WorldFileError(label + ": not valid JSON: " + error.what());
    }
    return LoadWorld(world, label, game);
}

}  // namespace txl::devserver
