#pragma once

#include <optional>
#include <string>
#include <vector>

#include "crafting/CraftingWorld.h"
#include "emuhost/PluginLoader.h"

namespace txltest {

// The real plug-in library loaded from its own folder into a crafting world; the game's own
// calls drive it.
class CraftingScenario {
  public:
    explicit CraftingScenario(const std::string& configJson);

    CraftingWorld world;

    emu::Game& Game() { return world.Game(); }
    // The processor begins play: its limits are enforced and its blueprints counted.
    void BeginPlay();
    void Craft(emu::Item* item, int times = 1);
    int Maximum(emu::Item* item);
    bool InProcessorInventory(const emu::Item* item);
    int ProcessorItemCount();

    // The plug-in's "TXL " lines, and its error lines.
    std::vector<std::string> CounterLines();
    std::vector<std::string> Errors();
    std::size_t JournalCount(const std::string& call);
    // Finished crafts whose roll gave a product.
    int Products();
    // Unloads the plug-in and empties the game: every engine buffer is back.
    bool ReleasedEverything();

  private:
    PluginFolder folder_;
    std::optional<emuhost::LoadedPlugin> plugin_;
};

}  // namespace txltest
