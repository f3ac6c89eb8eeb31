#include <cmath>

#include "crafting/CounterParts.h"
#include "crafting/CraftCounter.h"
#include "host/EngineNames.h"
#include "host/GameAccess.h"
#include "host/WeakObjects.h"

namespace txl {
namespace {

bool IsStorageContainer(UObject* object) {
    auto* containerClass =
        host::Call<UClass*>("APrimalStructureItemContainer.GetPrivateStaticClass()"_function);
    for (auto* s = reinterpret_cast<UStruct*>(host::ClassOf(object)); s != nullptr;
         s = host::Field<UStruct*>(s, "UStruct.SuperStruct"_field)) {
        if (reinterpret_cast<UClass*>(s) == containerClass) return true;
    }
    return false;
}

// The sharing entry's raw pointer still reaches a container the game is destroying, and its items
// with it; only what a weak reference still finds is a source.
bool IsLive(void* object) {
    auto* live = reinterpret_cast<UObject*>(object);
    return host::ResolveWeakReference(host::MakeWeakReference(live)) == live;
}

bool HasItemId(UPrimalItem* candidate, float first, float second) {
    FItemNetID id = crafting::ItemIdOf(candidate);
    return static_cast<float>(id.ItemID1) == first && static_cast<float>(id.ItemID2) == second;
}

// The single counted blueprint of `inventory` (other than `copy`) carrying the id; none when
// there is no such blueprint or more than one. Nothing in the walk calls into the game, so the
// array cannot move under it; the id is compared first, as the cheaper test that rules out
// almost every item.
UPrimalItem* FindSharedSource(UObject* inventory, UPrimalItem* copy, float first, float second) {
    const auto& items = host::Field<TArray<UPrimalItem*>>(
        inventory, "UPrimalInventoryComponent.InventoryItems"_field);
    if (items.Data == nullptr) return nullptr;
    UPrimalItem* match = nullptr;
    for (int32 i = 0; i < items.ArrayNum; ++i) {
        UPrimalItem* candidate = items.Data[i];
        if (candidate == nullptr || candidate == copy || !HasItemId(candidate, first, second))
            continue;
        if (!crafting::IsCountedBlueprint(candidate)) continue;
        if (match != nullptr) return nullptr;  // ambiguous
        match = candidate;
    }
    return match;
}

}  // namespace

UPrimalItem* ResolveSourceBlueprint(UPrimalItem* item) {
    if (item == nullptr) return nullptr;
    const int32 index = crafting::FindCustomEntry(item, crafting::kSharingEntryName);
    const FCustomItemData* sharing = crafting::CustomEntryAt(item, index);
    if (sharing == nullptr) return item;

    const TArray<float>& floats = sharing->CustomDataFloats;
    const TArray<UObject*>& objects = sharing->CustomDataObjects;
    if (floats.Data == nullptr || floats.ArrayNum < 2) return nullptr;
    if (objects.Data == nullptr || objects.ArrayNum != 1 || objects.Data[0] == nullptr)
        return nullptr;
    const float first = floats.Data[0];
    const float second = floats.Data[1];
    UObject* structure = objects.Data[0];

    if (!IsStorageContainer(structure) || !IsLive(structure)) return nullptr;
    auto* inventory = host::Field<UObject*>(
        structure, "APrimalStructureItemContainer.MyInventoryComponent"_field);
    if (inventory == nullptr || !std::isfinite(first) || !std::isfinite(second)) return nullptr;
    UPrimalItem* source = FindSharedSource(inventory, item, first, second);
    return source != nullptr && IsLive(source) ? source : nullptr;
}

SourceChain ResolveSourceChain(UPrimalItem* item) {
    SourceChain chain;
    if (item == nullptr) return chain;
    chain.Links[0] = item;
    chain.Count = 1;
    for (;;) {
        UPrimalItem* link = chain.Links[static_cast<std::size_t>(chain.Count - 1)];
        UPrimalItem* source = ResolveSourceBlueprint(link);
        if (source == nullptr) return chain;
        if (source == link) {
            chain.Resolved = true;
            return chain;
        }
        // A loop runs into the bound as well.
        if (chain.Count == kMaxChainLinks) return chain;
        chain.Links[static_cast<std::size_t>(chain.Count++)] = source;
    }
}

}  // namespace txl
