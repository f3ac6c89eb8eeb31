#include "crafting/CraftingScenario.h"

#include "emugame/Allocator.h"
#include "emugame/GameCalls.h"

namespace txltest {

CraftingScenario::CraftingScenario(const std::string& configJson) : folder_(configJson) {
    plugin_.emplace(folder_.Library());
}

void CraftingScenario::BeginPlay() {
    emu::calls::BeginPlay(world.Processor());
}

void CraftingScenario::Craft(emu::Item* item, int times) {
    for (int i = 0; i < times; ++i) emu::calls::CraftBlueprint(item, false);
}

int CraftingScenario::Maximum(emu::Item* item) {
    return emu::calls::GetMaximumAdditionalCrafting(item, world.ProcessorInventory(),
                                                    Game().PlayerController());
}

bool CraftingScenario::InProcessorInventory(const emu::Item* item) {
    const auto& items = world.ProcessorInventory()->InventoryItems;
    for (int32 i = 0; i < items.ArrayNum; ++i) {
        if (items.Data[i] == item) return true;
    }
    return false;
}

int CraftingScenario::ProcessorItemCount() {
    return world.ProcessorInventory()->InventoryItems.ArrayNum;
}

std::vector<std::string> CraftingScenario::CounterLines() {
    std::vector<std::string> lines;
    for (const std::string& line : world.Server().Logs().Messages("info")) {
        if (line.rfind("TXL ", 0) == 0) lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> CraftingScenario::Errors() {
    return world.Server().Logs().Messages("error");
}

std::size_t CraftingScenario::JournalCount(const std::string& call) {
    return Game().Log().Calls(call).size();
}

int CraftingScenario::Products() {
    int products = 0;
    for (const auto& entry : Game().Log().Calls("FinishCraftingBlueprint"))
        products += entry.arguments.find(",success,") != std::string::npos ? 1 : 0;
    return products;
}

bool CraftingScenario::ReleasedEverything() {
    plugin_.reset();
    Game().Reset();
    return emu::LiveAllocations() == world.Baseline();
}

}  // namespace txltest
