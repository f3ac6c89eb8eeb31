#include "GameEventLog.h"

#include <cstdlib>

#include "ItemIdText.h"
#include "NumberText.h"

namespace txl::devserver {

// Compares addresses with live items only; the journal's pointer may be stale.
std::string GameEventLog::ItemAt(const void* address) const {
    for (emu::Actor* actor : game_.Actors()) {
        emu::InventoryComponent* inventory = game_.InventoryOf(&actor->Object);
        if (inventory == nullptr) continue;
        for (int32 i = 0; i < inventory->InventoryItems.ArrayNum; ++i) {
            const emu::Item* item = inventory->InventoryItems.Data[i];
            if (item == address) return ItemIdText(item->ItemID);
        }
    }
    return "(gone)";
}

void GameEventLog::Report() {
    for (const emu::JournalEntry& entry : game_.Log().Entries()) {
        if (entry.call == "FinishCraftingBlueprint") {
            // "A:B,success|failure,chance"
            auto first = entry.arguments.find(',');
            auto second = entry.arguments.find(',', first + 1);
            std::string outcome = entry.arguments.substr(first + 1, second - first - 1);
            float chance = std::strtof(entry.arguments.c_str() + second + 1, nullptr);
            logger_->info("game: craft finished from blueprint {}: {} (chance {})",
                          entry.arguments.substr(0, first), outcome, NumberText(chance));
        } else if (entry.call == "StopCraftingRepairing") {
            logger_->info("game: crafting stopped on blueprint {}", ItemAt(entry.target));
        } else if (entry.call == "RemoveItem") {
            std::string id = entry.arguments.substr(0, entry.arguments.find(','));
            logger_->info("game: removing item {} from its inventory", id);
        }
    }
    game_.Log().Clear();
}

}  // namespace txl::devserver
