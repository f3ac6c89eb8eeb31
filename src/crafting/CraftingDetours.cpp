#include "crafting/CraftingDetours.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "crafting/CounterParts.h"
#include "crafting/CraftCounter.h"
#include "host/GameAccess.h"
#include "host/WeakObjects.h"
#include "shared/HookFailure.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"
#include "shared/ScopedValue.h"

namespace txl {
namespace {

// The UpdatedItem detour's refresh is running on this thread.
thread_local bool CounterRefreshActive = false;
// The source blueprint whose counted craft the game is finishing on this thread, and a weak
// reference to it, so that a source the game destroyed mid-craft is never read.
thread_local UPrimalItem* FinishingSourceBlueprint = nullptr;
thread_local FWeakObjectPtr FinishingSourceReference{};

bool Enabled() {
    return State().EnforcementEnabled;
}

void AnnounceItem(UPrimalItem* item) {
    host::Call<void>("UPrimalItem.UpdatedItem(bool,bool)"_function, item, false, false);
}

void StopCrafting(UPrimalItem* item) {
    host::Call<void>("UPrimalItem.StopCraftingRepairing(bool)"_function, item, false);
}

// Refreshes the counter and stops crafting from a used-up blueprint; true when refused.
bool RefuseExhaustedCraft(UPrimalItem* item) {
    if (!IsBlueprintExhausted(item)) return false;
    StopCrafting(item);
    return true;
}

struct CountedCraft {
    bool Refused = false;
    bool Present = false;
    UPrimalItem* Source = nullptr;
    std::int32_t Maximum = 0;
    std::int32_t Used = 0;
    FWeakObjectPtr SourceReference{};
    FWeakObjectPtr ItemReference{};
};

CountedCraft PrepareCraft(UPrimalItem* item) {
    CountedCraft craft;
    const bool enabled = Enabled();
    // Every copy, however deep, counts against the root of its chain: resolved and refreshed once
    // for the check and the count.
    craft.Source = enabled ? RefreshCountedRoot(item) : item;
    if (enabled && IsCountedRootExhausted(craft.Source)) {
        StopCrafting(item);
        craft.Refused = true;
        return craft;
    }
    craft.Present = enabled && ReadCounter(craft.Source, craft.Maximum, craft.Used);
    if (!craft.Present) return craft;
    // The game's craft may remove either item; both are found again through these.
    craft.SourceReference = host::MakeWeakReference(reinterpret_cast<UObject*>(craft.Source));
    craft.ItemReference = host::MakeWeakReference(reinterpret_cast<UObject*>(item));
    host::Field<std::int32_t>(item, "UPrimalItem.CustomItemID"_field) =
        craft.Maximum - craft.Used - 1;
    return craft;
}

// Counts one finished craft on the source, at most one more than was read before the craft.
void CompleteCraft(const CountedCraft& craft) {
    auto* source =
        reinterpret_cast<UPrimalItem*>(host::ResolveWeakReference(craft.SourceReference));
    if (source == nullptr) return;
    const FItemNetID sourceId = crafting::ItemIdOf(source);
    RefreshBlueprintCounter(source);
    const std::int32_t counted = std::min(craft.Used + 1, craft.Maximum);
    // The game's craft may have replaced the record; only a record still valid is written, and
    // only what was written is logged.
    std::optional<std::pair<std::int32_t, std::int32_t>> stored;
    FCustomItemData* entry = FindCounterEntry(source);
    if (entry != nullptr && crafting::IsValidCounterRecord(*entry)) {
        float* floats = entry->CustomDataFloats.Data;
        const std::int32_t used = std::max(static_cast<std::int32_t>(floats[2]), counted);
        floats[2] = static_cast<float>(used);
        stored.emplace(used, static_cast<std::int32_t>(floats[1]));
    }
    RefreshBlueprintCounter(source);
    AnnounceItem(source);
    auto* item = reinterpret_cast<UPrimalItem*>(host::ResolveWeakReference(craft.ItemReference));
    if (item != nullptr && item != source) {
        RefreshBlueprintCounter(item);
        AnnounceItem(item);
    }
    if (stored && State().Config.DebugLogging) {
        Log().info("TXL craft completed: source {}:{} {}/{}", sourceId.ItemID1, sourceId.ItemID2,
                   stored->first, stored->second);
    }
}

int ClampToCounter(UPrimalItem* item, UPrimalItem* source, int answer) {
    std::int32_t maximum = 0;
    std::int32_t used = 0;
    if (!ReadCounter(source, maximum, used)) return answer;
    const auto queued = host::Field<uint16>(item, "UPrimalItem.CraftQueue"_field);
    const std::int64_t available =
        std::max<std::int64_t>(static_cast<std::int64_t>(maximum) - queued - used, 0);
    if (answer < 0) return static_cast<int>(available);
    return static_cast<int>(std::min<std::int64_t>(available, answer));
}

// The game is removing the used-up source whose last counted craft it is finishing.
bool RetainExhaustedBlueprint(UPrimalInventoryComponent* inventory, const FItemNetID* id,
                              bool first, bool third) {
    if (!Enabled() || State().Config.DestroyExhaustedBlueprints) return false;
    UPrimalItem* finishing = FinishingSourceBlueprint;
    if (finishing == nullptr || id == nullptr || first || !third) return false;
    if (host::ResolveWeakReference(FinishingSourceReference) !=
        reinterpret_cast<UObject*>(finishing))
        return false;
    const auto& owner = host::Field<FWeakObjectPtr>(finishing, "UPrimalItem.OwnerInventory"_field);
    if (host::ResolveWeakReference(owner) != reinterpret_cast<UObject*>(inventory)) return false;
    const FItemNetID own = crafting::ItemIdOf(finishing);
    if (own.ItemID1 != id->ItemID1 || own.ItemID2 != id->ItemID2) return false;
    if (host::Field<std::int32_t>(finishing, "UPrimalItem.CustomItemID"_field) >= 0) return false;
    std::int32_t maximum = 0;
    std::int32_t used = 0;
    if (!ReadCounter(finishing, maximum, used) || maximum < 1) return false;

    RefreshBlueprintCounter(finishing);
    if (State().Config.DebugLogging)
        Log().info("TXL retained exhausted blueprint {}:{}", id->ItemID1, id->ItemID2);
    return true;
}

}  // namespace

void DetourUpdatedItem(UPrimalItem* item, bool first, bool second) {
    if (!CounterRefreshActive) {
        ScopedValue active(CounterRefreshActive, true);
        try {
            RefreshBlueprintCounter(item);
        } catch (const std::exception& error) {
            Log().error("Thalassovex counter update failed: {}", error.what());
        }
    }
    CallOriginal<kUpdatedItemHook, void>(item, first, second);
}

void DetourCraftBlueprint(UPrimalItem* item, bool flag) {
    bool refused = false;
    try {
        refused = item != nullptr && RefuseExhaustedCraft(item);
    } catch (const std::exception& error) {
        LogHookFailure(error);
        refused = false;
    }
    if (!refused) CallOriginal<kCraftBlueprintHook, void>(item, flag);
}

int DetourFinishCrafting(UPrimalItem* item) {
    std::optional<CountedCraft> craft;
    try {
        if (item != nullptr) craft = PrepareCraft(item);
    } catch (const std::exception& error) {
        LogHookFailure(error);
    }
    if (craft && craft->Refused) return 0;

    const bool counted = craft && craft->Present;
    int result = 0;
    {
        ScopedValue source(FinishingSourceBlueprint, counted ? craft->Source : nullptr);
        ScopedValue reference(FinishingSourceReference,
                              counted ? craft->SourceReference : FWeakObjectPtr{});
        result = CallOriginal<kFinishCraftingHook, int>(item);
    }
    if (!counted || result == 0) return result;
    try {
        CompleteCraft(*craft);
    } catch (const std::exception& error) {
        LogHookFailure(error);
    }
    return result;
}

int DetourMaximumCrafting(UPrimalItem* item, UPrimalInventoryComponent* inventory,
                          AShooterPlayerController* controller) {
    bool counting = Enabled();
    UPrimalItem* source = item;
    try {
        if (counting) {
            source = RefreshCountedRoot(item);
            // A copy without a source it may count against queues nothing.
            if (source == nullptr) return 0;
        }
    } catch (const std::exception& error) {
        LogHookFailure(error);
        counting = false;
    }
    const int answer = CallOriginal<kMaximumCraftingHook, int>(item, inventory, controller);
    if (!counting) return answer;
    try {
        return ClampToCounter(item, source, answer);
    } catch (const std::exception& error) {
        LogHookFailure(error);
        return answer;
    }
}

bool DetourRemoveItem(UPrimalInventoryComponent* inventory, FItemNetID* id, bool first, bool second,
                      bool third, bool fourth) {
    bool retained = false;
    try {
        retained = RetainExhaustedBlueprint(inventory, id, first, third);
    } catch (const std::exception& error) {
        LogHookFailure(error);
        retained = false;
    }
    if (retained) return false;
    return CallOriginal<kRemoveItemHook, bool>(inventory, id, first, second, third, fourth);
}

}  // namespace txl
