#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "crafting/CounterParts.h"
#include "host/EngineNames.h"
#include "host/EngineText.h"
#include "host/GameAccess.h"
#include "host/WeakObjects.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"
#include "shared/ProcessorRecognition.h"

namespace txl::crafting {
namespace {

// A counter entry built here; its float buffer is the plug-in's and goes when the entry goes.
struct NewCounterEntry {
    FCustomItemData Data{};

    explicit NewCounterEntry(std::initializer_list<float> floats) {
        const auto bytes = static_cast<unsigned long long>(sizeof(float)) * floats.size();
        Data.CustomDataFloats.Data = static_cast<float*>(
            host::Call<void*>("FMemory.Malloc(unsigned__int64,unsignedint)"_function, bytes, 0U));
        Data.CustomDataFloats.ArrayMax = static_cast<int32>(floats.size());
        for (float value : floats)
            Data.CustomDataFloats.Data[Data.CustomDataFloats.ArrayNum++] = value;
    }
    NewCounterEntry(const NewCounterEntry&) = delete;
    NewCounterEntry& operator=(const NewCounterEntry&) = delete;
    ~NewCounterEntry() { host::ReleaseBufferOrLog(Data.CustomDataFloats.Data); }
};

void StoreCounterRecord(UPrimalItem* item, std::int32_t maximum, std::int32_t used) {
    NewCounterEntry entry{kCounterVersion, static_cast<float>(maximum), static_cast<float>(used)};
    entry.Data.CustomDataName = host::MakeName(kCounterEntryName);
    host::Call<void>("UPrimalItem.SetCustomItemData(FCustomItemData&)"_function, item, &entry.Data);
    host::ReleaseArray(entry.Data.CustomDataFloats);
}

bool SitsInProcessorInventory(UPrimalItem* item) {
    UObject* inventory = host::ResolveWeakReference(
        host::Field<FWeakObjectPtr>(item, "UPrimalItem.OwnerInventory"_field));
    if (inventory == nullptr) return false;
    return IsProcessorCreature(
        host::Field<UObject*>(inventory, "UActorComponent.OwnerPrivate"_field));
}

}  // namespace

bool AttachCounter(UPrimalItem* item, UPrimalItem* placed, std::int32_t& maximum,
                   std::int32_t& used) {
    if (!SitsInProcessorInventory(item) && (placed == item || !SitsInProcessorInventory(placed)))
        return false;
    UClass* cls = host::ClassOf(item);
    if (cls == nullptr) return false;
    void* sparse =
        host::Call<void*>("UClass.GetSparseClassData(EGetSparseClassDataMethod)"_function, cls,
                          EGetSparseClassDataMethod::CreateIfNull);
    const PluginState& state = State();
    const FItemNetID id = ItemIdOf(item);
    // An unlimited blueprint in a processor looks its key up at every refresh.
    const auto adoption = state.AdoptionCounts.find(BlueprintKey(id).View());
    const bool adopted = adoption != state.AdoptionCounts.end();
    if (sparse == nullptr) return false;

    const auto native = host::Field<std::int32_t>(
        sparse, "FPrimalItemSparseClassData.BlueprintAllowMaxCraftings"_field);
    if (native < 1 && !adopted) return false;
    const std::int32_t newMaximum =
        native > 0 ? std::min(native, state.MaxCrafts) : state.MaxCrafts;
    std::int32_t newUsed = adopted ? std::clamp(adoption->second, 0, newMaximum) : 0;
    auto& nativeCount = host::Field<std::int32_t>(item, "UPrimalItem.CustomItemID"_field);
    // A class that limits its crafts has the game count them down in CustomItemID wherever the
    // blueprint was crafted from; those crafts are kept. Other classes keep no count.
    if (native > 0) {
        const std::int64_t remaining =
            std::clamp<std::int64_t>(static_cast<std::int64_t>(nativeCount) + 1, 0, newMaximum);
        newUsed = std::max(newUsed, static_cast<std::int32_t>(newMaximum - remaining));
    }

    StoreCounterRecord(item, newMaximum, newUsed);
    nativeCount = newMaximum - newUsed - 1;
    if (state.Config.DebugLogging) {
        Log().info("TXL counter attached: {}:{} {}/{}", id.ItemID1, id.ItemID2, newUsed,
                   newMaximum);
    }
    maximum = newMaximum;
    used = newUsed;
    return true;
}

}  // namespace txl::crafting
