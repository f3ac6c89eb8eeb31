#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"
#include "emugame/StandardClasses.h"
#include "emuhost/PluginLoader.h"
#include "support/EmulatedServer.h"

namespace txltest {

// A world with a tamed processor creature, an ordinary creature and the standard classes,
// with helpers to place blueprints and read what the plug-in wrote into them.
class CraftingWorld {
  public:
    CraftingWorld();

    EmulatedServer& Server() { return server_; }
    emu::Game& Game() { return server_.Game(); }
    const emu::StandardClasses& Classes() const { return classes_; }
    emu::Character* Processor() { return processor_; }
    emu::InventoryComponent* ProcessorInventory() { return processor_->MyInventoryComponent; }

    emu::Item* GiveBlueprint(emu::Class* itemClass, emu::InventoryComponent* inventory,
                             std::uint32_t id1 = 0, std::uint32_t id2 = 0);
    emu::Item* GiveBolt(std::uint32_t id1 = 0, std::uint32_t id2 = 0) {
        return GiveBlueprint(classes_.limitedBlueprint, ProcessorInventory(), id1, id2);
    }
    // A bolt with a counter record of `used` crafts and the game's own count in step.
    emu::Item* CountedBolt(int used, std::uint32_t id1 = 0, std::uint32_t id2 = 0);
    // A blueprint of the class without a craft limit, in the processor.
    emu::Item* GiveLantern(std::uint32_t id1 = 0, std::uint32_t id2 = 0) {
        return GiveBlueprint(classes_.unlimitedBlueprint, ProcessorInventory(), id1, id2);
    }
    emu::ItemContainer* SpawnBox() { return Game().SpawnContainer(classes_.storage); }
    // Moves an item between inventories as the game does when a player drags it.
    void MoveItem(emu::Item* item, emu::InventoryComponent* to);
    // The game's queue limit for an item in the processor's inventory.
    int Maximum(emu::Item* item);
    bool InProcessorInventory(const emu::Item* item);
    // Info lines starting with `prefix`.
    std::vector<std::string> InfoLines(const std::string& prefix = "");
    // Finished crafts whose roll gave a product.
    int Products();

    // Engine buffers live at the start of the test; compare with LiveAllocations() after
    // Game().Reset().
    std::size_t Baseline() const { return baseline_; }

  private:
    EmulatedServer server_;
    std::size_t baseline_ = 0;
    emu::StandardClasses classes_;
    emu::Character* processor_ = nullptr;
};

// The in-process plug-in's settings back at their defaults, with its logger over the host's sinks.
void ResetPluginSettings();

// A crafting world with the plug-in's code in this process at its default settings.
class CraftingTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetPluginSettings(); }

    CraftingWorld world;
};

// An item as the plug-in sees it.
inline UPrimalItem* Plugin(emu::Item* item) {
    return reinterpret_cast<UPrimalItem*>(item);
}

std::string Key(const emu::Item* item);
// A valid counter record of `used` crafts out of `maximum`.
inline std::vector<float> Record(float used, float maximum = 10.0f) {
    return {1.0f, maximum, used};
}
// The floats of the counter record, or none when the item has no record.
std::vector<float> CounterFloats(const emu::Item* item);
// Puts a record of any shape into an item, as an earlier version or a broken save might.
void SetCounterFloats(emu::Item* item, const std::vector<float>& floats);
std::wstring CustomDescription(const emu::Item* item);
void SetCustomDescription(emu::Item* item, const std::wstring& text);
std::wstring CounterLine(int remaining, int maximum);
int CustomEntryCount(const emu::Item* item);
// What the plug-in keeps in an item: its record, the game's own count and the description.
inline std::tuple<std::vector<float>, int32, std::wstring> Written(const emu::Item* item) {
    return {CounterFloats(item), item->CustomItemID, CustomDescription(item)};
}

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
