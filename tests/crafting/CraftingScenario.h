#pragma once

#include <optional>
#include <string>
#include <vector>

#include "crafting/CraftingWorld.h"
#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emuhost/PluginLoader.h"

namespace txltest {

// The real plug-in library loaded from its own folder into a crafting world; the game's own
// calls drive it.
class CraftingScenario {
  public:
    explicit CraftingScenario(const std::string& configJson) : folder_(configJson) {
        plugin_.emplace(folder_.Library());
    }

    CraftingWorld world;

    emu::Game& Game() { return world.Game(); }
    void BeginPlay() { emu::calls::BeginPlay(world.Processor()); }
    void Craft(emu::Item* item, int times = 1) {
        for (int i = 0; i < times; ++i) emu::calls::CraftBlueprint(item, false);
    }
    int Maximum(emu::Item* item) { return world.Maximum(item); }
    bool InProcessorInventory(const emu::Item* item) { return world.InProcessorInventory(item); }
    int ProcessorItemCount() { return world.ProcessorInventory()->InventoryItems.ArrayNum; }
    std::vector<std::string> Errors() { return world.Server().Logs().Messages("error"); }
    std::size_t JournalCount(const std::string& call) { return Game().Log().Calls(call).size(); }
    // Unloads the plug-in and empties the game: every engine buffer is back.
    bool ReleasedEverything() {
        plugin_.reset();
        Game().Reset();
        return emu::LiveAllocations() == world.Baseline();
    }

  private:
    PluginFolder folder_;
    std::optional<emuhost::LoadedPlugin> plugin_;
};

}  // namespace txltest
