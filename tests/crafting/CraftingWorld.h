#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "emugame/StandardClasses.h"
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

}  // namespace txltest
