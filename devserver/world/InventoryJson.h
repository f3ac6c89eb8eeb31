#pragma once

#include <nlohmann/json.hpp>

#include "emugame/Game.h"

namespace txl::devserver {

// The items of `actor`'s inventory, in inventory order, each as `describe` gives it; empty when
// the actor has no inventory. `state` and `save` describe items differently.
template <typename Describe>
nlohmann::ordered_json InventoryJson(emu::Game& game, emu::Actor* actor, Describe&& describe) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    if (emu::InventoryComponent* inventory = game.InventoryOf(&actor->Object)) {
        for (int32 i = 0; i < inventory->InventoryItems.ArrayNum; ++i) {
            if (const emu::Item* item = inventory->InventoryItems.Data[i])
                items.push_back(describe(*item));
        }
    }
    return items;
}

}  // namespace txl::devserver
