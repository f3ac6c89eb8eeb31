#include "crafting/CraftingScenario.h"

#include <algorithm>

#include "shared/Logger.h"
#include "shared/PluginState.h"

namespace txltest {

CraftingWorld::CraftingWorld() {
    baseline_ = emu::LiveAllocations();
    classes_ = emu::DefineStandardClasses(Game());
    processor_ = Game().SpawnCreature(classes_.processor, 60000);
}

emu::Item* CraftingWorld::GiveBlueprint(emu::Class* itemClass, emu::InventoryComponent* inventory,
                                        std::uint32_t id1, std::uint32_t id2) {
    emu::ItemSpec spec;
    spec.itemClass = itemClass;
    spec.blueprint = true;
    if (id1 != 0 || id2 != 0) spec.id = FItemNetID{id1, id2};
    return Game().GiveItem(inventory, spec);
}

emu::Item* CraftingWorld::CountedBolt(int used, std::uint32_t id1, std::uint32_t id2) {
    emu::Item* bolt = GiveBolt(id1, id2);
    SetCounterFloats(bolt, {1.0f, 10.0f, static_cast<float>(used)});
    bolt->CustomItemID = 10 - used - 1;
    return bolt;
}

void CraftingWorld::MoveItem(emu::Item* item, emu::InventoryComponent* to) {
    if (auto* from =
            reinterpret_cast<emu::InventoryComponent*>(Game().ResolveWeak(item->OwnerInventory))) {
        Game().RemoveFromInventory(from, item);
    }
    emu::ArrayAppend(to->InventoryItems, item);
    item->OwnerInventory = Game().MakeWeak(&to->Component.Object);
}

int CraftingWorld::Maximum(emu::Item* item) {
    return emu::calls::GetMaximumAdditionalCrafting(item, ProcessorInventory(),
                                                    Game().PlayerController());
}

bool CraftingWorld::InProcessorInventory(const emu::Item* item) {
    const auto& items = ProcessorInventory()->InventoryItems;
    return std::find(items.Data, items.Data + items.ArrayNum, item) != items.Data + items.ArrayNum;
}

std::vector<std::string> CraftingWorld::InfoLines(const std::string& prefix) {
    std::vector<std::string> lines;
    for (const std::string& line : server_.Logs().Messages("info"))
        if (line.starts_with(prefix)) lines.push_back(line);
    return lines;
}

int CraftingWorld::Products() {
    int products = 0;
    for (const auto& entry : Game().Log().Calls("FinishCraftingBlueprint"))
        products += entry.arguments.find(",success,") != std::string::npos ? 1 : 0;
    return products;
}

void ResetPluginSettings() {
    txl::CreateLogger();
    txl::PluginState& state = txl::State();
    state.Config = txl::PluginConfig{};
    state.EnforcementEnabled = true;
    state.MaxCrafts = state.Config.MaxCraftingsPerBlueprint;
    state.AdoptionCounts.clear();
}

std::string Key(const emu::Item* item) {
    return std::to_string(item->ItemID.ItemID1) + ":" + std::to_string(item->ItemID.ItemID2);
}

namespace {

const FCustomItemData* CounterEntry(const emu::Item* item) {
    auto& game = emu::Game::Instance();
    for (int32 i = 0; i < item->CustomItemDatas.ArrayNum; ++i) {
        const FCustomItemData& entry = item->CustomItemDatas.Data[i];
        if (game.NameText(entry.CustomDataName) == "ThalassovexLimiter.CounterV1") return &entry;
    }
    return nullptr;
}

}  // namespace

std::vector<float> CounterFloats(const emu::Item* item) {
    const FCustomItemData* entry = CounterEntry(item);
    if (entry == nullptr) return {};
    const auto& floats = entry->CustomDataFloats;
    return {floats.Data, floats.Data + floats.ArrayNum};
}

void SetCounterFloats(emu::Item* item, const std::vector<float>& floats) {
    FCustomItemData entry{};
    entry.CustomDataName = emu::Game::Instance().MakeName("ThalassovexLimiter.CounterV1");
    for (float value : floats) emu::ArrayAppend(entry.CustomDataFloats, value);
    emu::ArrayAppend(item->CustomItemDatas, entry);
}

std::wstring CustomDescription(const emu::Item* item) {
    const FString& text = item->CustomItemDescription;
    if (text.Data == nullptr || text.ArrayNum <= 1) return {};
    return {text.Data, static_cast<std::size_t>(text.ArrayNum - 1)};
}

void SetCustomDescription(emu::Item* item, const std::wstring& text) {
    emu::StringRelease(item->CustomItemDescription);
    item->CustomItemDescription = emu::MakeString(text);
}

std::wstring CounterLine(int remaining, int maximum) {
    return L"\nThalassovex crafts remaining: " + std::to_wstring(remaining) + L"/" +
           std::to_wstring(maximum);
}

int CustomEntryCount(const emu::Item* item) {
    return item->CustomItemDatas.ArrayNum;
}

}  // namespace txltest
