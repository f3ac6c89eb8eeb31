#pragma once

#include <algorithm>
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
#include "shared/Logger.h"
#include "shared/PluginState.h"
#include "support/EmulatedServer.h"

// Crafting worlds, in this process or with the plug-in library loaded, and what the plug-in
// writes into items.
namespace txltest {

// An item as the plug-in sees it.
inline UPrimalItem* Plugin(emu::Item* item) {
    return reinterpret_cast<UPrimalItem*>(item);
}

inline std::string Key(const emu::Item* item) {
    return std::to_string(item->ItemID.ItemID1) + ":" + std::to_string(item->ItemID.ItemID2);
}

// A valid counter record of `used` crafts out of `maximum`.
inline std::vector<float> Record(float used, float maximum = 10.0f) {
    return {1.0f, maximum, used};
}

// The floats of the counter record, or none when the item has no record.
inline std::vector<float> CounterFloats(const emu::Item* item) {
    auto& game = emu::Game::Instance();
    for (int32 i = 0; i < item->CustomItemDatas.ArrayNum; ++i) {
        const FCustomItemData& entry = item->CustomItemDatas.Data[i];
        if (game.NameText(entry.CustomDataName) != "ThalassovexLimiter.CounterV1") continue;
        const auto& floats = entry.CustomDataFloats;
        return {floats.Data, floats.Data + floats.ArrayNum};
    }
    return {};
}

// Puts a record of any shape into an item, as an earlier version or a broken save might.
inline void SetCounterFloats(emu::Item* item, const std::vector<float>& floats) {
    FCustomItemData entry{};
    entry.CustomDataName = emu::Game::Instance().MakeName("ThalassovexLimiter.CounterV1");
    for (float value : floats) emu::ArrayAppend(entry.CustomDataFloats, value);
    emu::ArrayAppend(item->CustomItemDatas, entry);
}

inline std::wstring CustomDescription(const emu::Item* item) {
    const FString& text = item->CustomItemDescription;
    if (text.Data == nullptr || text.ArrayNum <= 1) return {};
    return {text.Data, static_cast<std::size_t>(text.ArrayNum - 1)};
}

inline void SetCustomDescription(emu::Item* item, const std::wstring& text) {
    emu::StringRelease(item->CustomItemDescription);
    item->CustomItemDescription = emu::MakeString(text);
}

inline std::wstring CounterLine(int remaining, int maximum) {
    return L"\nThalassovex crafts remaining: " + std::to_wstring(remaining) + L"/" +
           std::to_wstring(maximum);
}

// What the plug-in keeps in an item: its record, the game's own count and the description.
inline std::tuple<std::vector<float>, int32, std::wstring> Written(const emu::Item* item) {
    return {CounterFloats(item), item->CustomItemID, CustomDescription(item)};
}

// A world with a tamed processor creature and the standard classes, with helpers to place
// blueprints and read what the plug-in did.
class CraftingWorld {
  public:
    CraftingWorld()
        : baseline_(emu::LiveAllocations()),
          classes_(emu::DefineStandardClasses(Game())),
          processor_(Game().SpawnCreature(classes_.processor, 60000)) {}

    EmulatedServer& Server() { return server_; }
    emu::Game& Game() { return server_.Game(); }
    const emu::StandardClasses& Classes() const { return classes_; }
    emu::Character* Processor() { return processor_; }
    emu::InventoryComponent* ProcessorInventory() { return processor_->MyInventoryComponent; }

    emu::Item* GiveBlueprint(emu::Class* itemClass, emu::InventoryComponent* inventory,
                             std::uint32_t id1 = 0, std::uint32_t id2 = 0) {
        emu::ItemSpec spec;
        spec.itemClass = itemClass;
        spec.blueprint = true;
        if (id1 != 0 || id2 != 0) spec.id = FItemNetID{id1, id2};
        return Game().GiveItem(inventory, spec);
    }
    emu::Item* GiveBolt(std::uint32_t id1 = 0, std::uint32_t id2 = 0) {
        return GiveBlueprint(classes_.limitedBlueprint, ProcessorInventory(), id1, id2);
    }
    // A bolt with a counter record of `used` crafts and the game's own count in step.
    emu::Item* CountedBolt(int used, std::uint32_t id1 = 0, std::uint32_t id2 = 0) {
        emu::Item* bolt = GiveBolt(id1, id2);
        SetCounterFloats(bolt, Record(static_cast<float>(used)));
        bolt->CustomItemID = 10 - used - 1;
        return bolt;
    }
    // A blueprint of the class without a craft limit, in the processor.
    emu::Item* GiveLantern(std::uint32_t id1 = 0, std::uint32_t id2 = 0) {
        return GiveBlueprint(classes_.unlimitedBlueprint, ProcessorInventory(), id1, id2);
    }
    emu::ItemContainer* SpawnBox() { return Game().SpawnContainer(classes_.storage); }
    // Moves an item between inventories as the game does when a player drags it.
    void MoveItem(emu::Item* item, emu::InventoryComponent* to) {
        if (auto* from = reinterpret_cast<emu::InventoryComponent*>(
                Game().ResolveWeak(item->OwnerInventory))) {
            Game().RemoveFromInventory(from, item);
        }
        emu::ArrayAppend(to->InventoryItems, item);
        item->OwnerInventory = Game().MakeWeak(&to->Component.Object);
    }
    // The game's queue limit for an item in the processor's inventory.
    int Maximum(emu::Item* item) {
        return emu::calls::GetMaximumAdditionalCrafting(item, ProcessorInventory(),
                                                        Game().PlayerController());
    }
    bool InProcessorInventory(const emu::Item* item) {
        const auto& items = ProcessorInventory()->InventoryItems;
        return std::find(items.Data, items.Data + items.ArrayNum, item) !=
               items.Data + items.ArrayNum;
    }
    // Info lines starting with `prefix`.
    std::vector<std::string> InfoLines(const std::string& prefix = "") {
        std::vector<std::string> lines;
        for (const std::string& line : server_.Logs().Messages("info"))
            if (line.starts_with(prefix)) lines.push_back(line);
        return lines;
    }
    // Finished crafts whose roll gave a product.
    int Products() {
        int products = 0;
        for (const auto& entry : Game().Log().Calls("FinishCraftingBlueprint"))
            products += entry.arguments.find(",success,") != std::string::npos ? 1 : 0;
        return products;
    }
    // Engine buffers live at the start of the test; compare with LiveAllocations() after
    // Game().Reset().
    std::size_t Baseline() const { return baseline_; }

  private:
    EmulatedServer server_;
    std::size_t baseline_ = 0;
    emu::StandardClasses classes_;
    emu::Character* processor_ = nullptr;
};

// A crafting world with the plug-in's code in this process, its settings at their defaults and
// its logger over the host's sinks.
class CraftingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        txl::CreateLogger();
        txl::PluginState& state = txl::State();
        state.Config = txl::PluginConfig{};
        state.EnforcementEnabled = true;
        state.MaxCrafts = state.Config.MaxCraftingsPerBlueprint;
        state.AdoptionCounts.clear();
    }

    CraftingWorld world;
};

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
