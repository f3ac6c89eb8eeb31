#include <array>
#include <charconv>
#include <cmath>

#include "crafting/CounterParts.h"
#include "crafting/CraftCounter.h"
#include "host/EngineNames.h"
#include "host/GameAccess.h"

namespace txl {
namespace crafting {

bool IsCountedBlueprint(UPrimalItem* item) {
    return item != nullptr && host::ReadFlag(item, "UPrimalItem.bIsBlueprint"_flag) &&
           !host::ReadFlag(item, "UPrimalItem.bIsEngram"_flag);
}

int32 FindCustomEntry(UPrimalItem* item, std::string_view name) {
    // By index, re-reading the array each step: naming an entry calls into the game, which
    // may grow (and so move) the array.
    for (int32 i = 0;; ++i) {
        auto& entries =
            host::Field<TArray<FCustomItemData>>(item, "UPrimalItem.CustomItemDatas"_field);
        if (entries.Data == nullptr || i >= entries.ArrayNum) return -1;
        FName entryName = entries.Data[i].CustomDataName;
        if (host::NameEquals(entryName, name)) return i;
    }
}

FCustomItemData* CustomEntryAt(UPrimalItem* item, int32 index) {
    if (index < 0) return nullptr;
    auto& entries = host::Field<TArray<FCustomItemData>>(item, "UPrimalItem.CustomItemDatas"_field);
    if (entries.Data == nullptr || index >= entries.ArrayNum) return nullptr;
    return &entries.Data[index];
}

bool IsValidCounterRecord(const FCustomItemData& entry) {
    const TArray<float>& floats = entry.CustomDataFloats;
    if (floats.ArrayNum != 3 || floats.Data == nullptr) return false;
    const float version = floats.Data[0];
    const float maximum = floats.Data[1];
    const float used = floats.Data[2];
    if (version != kCounterVersion || !std::isfinite(maximum) || !std::isfinite(used)) return false;
    if (maximum < 1.0f || maximum > kCounterCeiling || used < 0.0f || used > maximum) return false;
    return std::floor(maximum) == maximum && std::floor(used) == used;
}

FItemNetID ItemIdOf(UPrimalItem* item) {
    return host::Field<FItemNetID>(item, "UPrimalItem.ItemID"_field);
}

BlueprintKey::BlueprintKey(const FItemNetID& id) {
    char* const end = text_.data() + text_.size();
    char* at = std::to_chars(text_.data(), end, id.ItemID1).ptr;
    *at++ = ':';
    at = std::to_chars(at, end, id.ItemID2).ptr;
    size_ = static_cast<std::size_t>(at - text_.data());
}

}  // namespace crafting

FCustomItemData* FindCounterEntry(UPrimalItem* item) {
    if (!crafting::IsCountedBlueprint(item)) return nullptr;
    return crafting::CustomEntryAt(item,
                                   crafting::FindCustomEntry(item, crafting::kCounterEntryName));
}

bool ReadCounter(UPrimalItem* item, std::int32_t& maximum, std::int32_t& used) {
    FCustomItemData* entry = FindCounterEntry(item);
    if (entry == nullptr) return false;
    maximum = 0;
    used = 0;
    if (crafting::IsValidCounterRecord(*entry)) {
        maximum = static_cast<std::int32_t>(entry->CustomDataFloats.Data[1]);
        used = static_cast<std::int32_t>(entry->CustomDataFloats.Data[2]);
    }
    return true;
}

}  // namespace txl
