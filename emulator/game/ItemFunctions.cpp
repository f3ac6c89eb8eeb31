#include <string>

#include "emugame/Allocator.h"
#include "emugame/Game.h"
#include "emugame/GameCalls.h"
#include "emugame/Hookable.h"
#include "emugame/Publish.h"
#include "emuhost/Misuse.h"

// Item, inventory and crafting functions of the game.
namespace emu {
namespace {

std::string Flag(bool flag) {
    return flag ? "true" : "false";
}

std::string IdText(const FItemNetID& id) {
    return std::to_string(id.ItemID1) + ":" + std::to_string(id.ItemID2);
}

template <typename T>
TArray<T> CopyArray(const TArray<T>& source) {
    TArray<T> copy;
    if (source.ArrayNum <= 0) return copy;
    ArrayReserve(copy, source.ArrayNum);
    for (int32 i = 0; i < source.ArrayNum; ++i) copy.Data[i] = source.Data[i];
    copy.ArrayNum = source.ArrayNum;
    return copy;
}

FCustomItemData CopyEntry(const FCustomItemData& source) {
    FCustomItemData copy{};
    copy.CustomDataName = source.CustomDataName;
    copy.CustomDataStrings = CopyArray(source.CustomDataStrings);
    for (int32 i = 0; i < copy.CustomDataStrings.ArrayNum; ++i) {
        const FString& text = source.CustomDataStrings.Data[i];
        copy.CustomDataStrings.Data[i] =
            MakeString(std::wstring(text.Data, text.ArrayNum > 0 ? text.ArrayNum - 1 : 0));
    }
    copy.CustomDataFloats = CopyArray(source.CustomDataFloats);
    copy.CustomDataDoubles = CopyArray(source.CustomDataDoubles);
    copy.CustomDataObjects = CopyArray(source.CustomDataObjects);
    copy.CustomDataClasses = CopyArray(source.CustomDataClasses);
    copy.CustomDataNames = CopyArray(source.CustomDataNames);
    return copy;
}

// Replaces the entry of the same name, or appends one; the item keeps its own copy.
void SetCustomItemData(Item* item, const FCustomItemData* data) {
    Game::Instance().ThrowIfFailing("SetCustomItemData");
    for (const void* array : {static_cast<const void*>(data->CustomDataStrings.Data),
                              static_cast<const void*>(data->CustomDataFloats.Data),
                              static_cast<const void*>(data->CustomDataObjects.Data)})
        emuhost::RequireUnreleased(array, "UPrimalItem.SetCustomItemData");
    FCustomItemData copy = CopyEntry(*data);
    auto& entries = item->CustomItemDatas;
    for (int32 i = 0; i < entries.ArrayNum; ++i) {
        if (entries.Data[i].CustomDataName.ComparisonIndex ==
            data->CustomDataName.ComparisonIndex) {
            CustomDataRelease(entries.Data[i]);
            entries.Data[i] = copy;
            return;
        }
    }
    ArrayAppend(entries, copy);
}

void UpdatedItem(Item* item, bool first, bool second) {
    Game& game = Game::Instance();
    game.ThrowIfFailing("UpdatedItem");
    game.Log().Record("UpdatedItem", item, Flag(first) + "," + Flag(second));
}

void StopCraftingRepairing(Item* item, bool flag) {
    Game::Instance().Log().Record("StopCraftingRepairing", item, Flag(flag));
    item->CraftQueue = 0;
    item->CraftingProgressMs = 0;
}

void CraftBlueprint(Item* item, bool flag) {
    Game& game = Game::Instance();
    game.ThrowIfFailing("CraftBlueprint");
    game.Log().Record("CraftBlueprint", item, Flag(flag));
    ++item->CraftQueue;
}

int32 ClassCraftLimit(const Item* item) {
    const auto* sparse =
        static_cast<const ItemSparseClassData*>(item->Object.ClassPrivate->SparseClassData);
    return sparse != nullptr ? sparse->BlueprintAllowMaxCraftings : 0;
}

InventoryComponent* OwningInventory(const Item* item) {
    return reinterpret_cast<InventoryComponent*>(
        Game::Instance().ResolveWeak(item->OwnerInventory));
}

constexpr int kSuccessStatus = 11;

// The chance of a craft in `inventory`: its creature's crafting success as the game reads it
// (status 11 stored less 1.0), or a sure success where no creature crafts.
double CraftChance(InventoryComponent* inventory) {
    Game& game = Game::Instance();
    Actor* owner = inventory != nullptr ? inventory->Component.OwnerPrivate : nullptr;
    if (owner == nullptr ||
        !Game::IsChildOf(owner->Object.ClassPrivate, game.FindClass("PrimalCharacter")))
        return 1.0;
    StatusComponent* status = reinterpret_cast<Character*>(owner)->MyCharacterStatusComponent;
    if (status == nullptr) return 1.0;
    return double{calls::BPGetCurrentStatusValue(status, kSuccessStatus)} + 1.0;
}

// Finishes one queued craft: the roll decides whether a product comes out; either way a limited
// blueprint spends one of its crafts and asks to be removed once none are left, or else
// announces the change.
int FinishCraftingBlueprint(Item* item) {
    Game& game = Game::Instance();
    game.ThrowIfFailing("FinishCraftingBlueprint");
    if (item->CraftQueue == 0) return 0;
    --item->CraftQueue;
    InventoryComponent* inventory = OwningInventory(item);
    const double chance = CraftChance(inventory);
    // A NaN chance never succeeds.
    const bool success = game.NextCraftRoll() < chance;
    ++(success ? item->CraftsSucceeded : item->CraftsFailed);
    game.Log().Record("FinishCraftingBlueprint", item,
                      IdText(item->ItemID) + "," + (success ? "success" : "failure") + "," +
                          std::to_string(chance));
    if (success && inventory != nullptr) {
        ItemSpec spec;
        spec.itemClass = item->Object.ClassPrivate;
        calls::UpdatedItem(game.GiveItem(inventory, spec), false, false);
    }
    if (ClassCraftLimit(item) > 0) {
        --item->CustomItemID;
        bool removed = false;
        if (item->CustomItemID < 0 && inventory != nullptr) {
            FItemNetID id = item->ItemID;
            removed = calls::RemoveItem(inventory, &id, false, false, true, false);
        }
        if (!removed) calls::UpdatedItem(item, false, false);
    }
    return 1;
}

int GetMaximumAdditionalCrafting(Item* item, InventoryComponent*, ObjectBase*) {
    Game::Instance().ThrowIfFailing("GetMaximumAdditionalCrafting");
    if (ClassCraftLimit(item) <= 0) return -1;
    return item->CustomItemID + 1 - item->CraftQueue;
}

bool RemoveItem(InventoryComponent* inventory, FItemNetID* id, bool first, bool second, bool third,
                bool fourth) {
    Game& game = Game::Instance();
    game.ThrowIfFailing("RemoveItem");
    game.Log().Record("RemoveItem", inventory,
                      IdText(*id) + "," + Flag(first) + "," + Flag(second) + "," + Flag(third) +
                          "," + Flag(fourth));
    auto& items = inventory->InventoryItems;
    for (int32 i = 0; i < items.ArrayNum; ++i) {
        Item* candidate = items.Data[i];
        if (candidate != nullptr && candidate->ItemID.ItemID1 == id->ItemID1 &&
            candidate->ItemID.ItemID2 == id->ItemID2) {
            ArrayRemoveAt(items, i);
            game.DestroyObject(&candidate->Object);
            return true;
        }
    }
    return false;
}

using UpdatedItemHook = Hookable<&UpdatedItem, void(UPrimalItem*, bool, bool)>;
using CraftBlueprintHook = Hookable<&CraftBlueprint, void(UPrimalItem*, bool)>;
using FinishCraftingHook = Hookable<&FinishCraftingBlueprint, int(UPrimalItem*)>;
using MaximumCraftingHook =
    Hookable<&GetMaximumAdditionalCrafting,
             int(UPrimalItem*, UPrimalInventoryComponent*, AShooterPlayerController*)>;
using RemoveItemHook =
    Hookable<&RemoveItem, bool(UPrimalInventoryComponent*, FItemNetID*, bool, bool, bool, bool)>;

}  // namespace

namespace calls {
void UpdatedItem(Item* item, bool first, bool second) {
    UpdatedItemHook::Call(item, first, second);
}
void CraftBlueprint(Item* item, bool flag) {
    CraftBlueprintHook::Call(item, flag);
}
int FinishCraftingBlueprint(Item* item) {
    return FinishCraftingHook::Call(item);
}
int GetMaximumAdditionalCrafting(Item* item, InventoryComponent* inventory,
                                 ObjectBase* controller) {
    return MaximumCraftingHook::Call(item, inventory, controller);
}
bool RemoveItem(InventoryComponent* inventory, FItemNetID* id, bool first, bool second, bool third,
                bool fourth) {
    return RemoveItemHook::Call(inventory, id, first, second, third, fourth);
}
}  // namespace calls

void PublishItemFunctions(Publisher& publish) {
    UpdatedItemHook::Publish("UPrimalItem.UpdatedItem(bool,bool)");
    CraftBlueprintHook::Publish("UPrimalItem.CraftBlueprint(bool)");
    FinishCraftingHook::Publish("UPrimalItem.FinishCraftingBlueprint()");
    MaximumCraftingHook::Publish(
        "UPrimalItem.GetMaximumAdditionalCrafting(UPrimalInventoryComponent*,"
        "AShooterPlayerController*)");
    RemoveItemHook::Publish(
        "UPrimalInventoryComponent.RemoveItem(FItemNetID&,bool,bool,bool,bool)");
    publish.Function<&SetCustomItemData, void(UPrimalItem*, FCustomItemData*)>(
        "UPrimalItem.SetCustomItemData(FCustomItemData&)");
    publish.Function<&StopCraftingRepairing, void(UPrimalItem*, bool)>(
        "UPrimalItem.StopCraftingRepairing(bool)");
}

}  // namespace emu
