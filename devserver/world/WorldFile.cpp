#include "WorldFile.h"

#include <fstream>

#include "WorldActors.h"
#include "WorldClasses.h"
#include "WorldFileError.h"
#include "WorldJsonNode.h"

namespace txl::devserver {

WorldPlan LoadWorld(const nlohmann::json& world, const std::string& label, emu::Game& game) {
    WorldJsonNode root(world, label, "");
    root.ExpectObject({"comment", "standardClasses", "itemClasses", "creatureClasses",
                       "containerClasses", "actors", "shares"});
    DefineWorldClasses(root, game);
    return PlanWorldActors(root, game);
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
