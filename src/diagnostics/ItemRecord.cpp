#include "diagnostics/ItemRecord.h"

#include <cstdint>

#include "host/EngineNames.h"
#include "host/EngineText.h"
#include "host/GameAccess.h"

namespace txl {
namespace {

std::int32_t MaxCraftings(UPrimalItem* item) {
    // The game declares the sparse data untyped; it is called through exactly that type.
    void* sparse =
        host::Call<void*>("UClass.GetSparseClassData(EGetSparseClassDataMethod)"_function,
                          host::ClassOf(item), EGetSparseClassDataMethod::CreateIfNull);
    if (sparse == nullptr) return -1;
    return host::Field<std::int32_t>(sparse,
                                     "FPrimalItemSparseClassData.BlueprintAllowMaxCraftings"_field);
}

}  // namespace

nlohmann::json DescribeInventoryItem(UPrimalItem* item) {
    const FItemNetID id = host::Field<FItemNetID>(item, "UPrimalItem.ItemID"_field);
    const auto customItemId = host::Field<std::int32_t>(item, "UPrimalItem.CustomItemID"_field);
    const float durability = host::Field<float>(item, "UPrimalItem.ItemDurability"_field);
    return {
        {"blueprint", host::ReadFlag(item, "UPrimalItem.bIsBlueprint"_flag)},
        {"class", host::ClassNameOf(item)},
        {"description",
         host::ToUtf8(host::Field<FString>(item, "UPrimalItem.CustomItemDescription"_field))},
        {"durability", static_cast<double>(durability)},
        {"id1", id.ItemID1},
        {"id2", id.ItemID2},
        {"maxCraftings", MaxCraftings(item)},
        // The game keeps remaining crafts less one; 64-bit so the top of the range cannot wrap.
        {"nativeRemaining", static_cast<std::int64_t>(customItemId) + 1},
    };
}

}  // namespace txl
