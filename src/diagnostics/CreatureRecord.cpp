#include "diagnostics/CreatureRecord.h"

#include <cstdint>
#include <cstring>

#include "diagnostics/ItemRecord.h"
#include "host/EngineNames.h"
#include "host/GameAccess.h"
#include "processor/ProcessorDiscovery.h"
#include "processor/SuccessStatus.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

constexpr auto kSuccess = static_cast<EPrimalCharacterStatusValue::Type>(kSuccessStatus);

// The stored status is the success less one; widen first, then add in double.
double Success(float stored) {
    return static_cast<double>(stored) + 1.0;
}

float SuccessElement(UPrimalCharacterStatusComponent* status, const std::string& array) {
    return (&host::Field<float>(status, array))[kSuccess];
}

void AddSuccessValues(UPrimalCharacterStatusComponent* status, nlohmann::json& record) {
    // The hook's stored entry is the game's own function; the resolved entry runs the detour.
    record["uncappedSuccess"] = Success(CallOriginal<kCurrentStatusHook, float>(status, kSuccess));
    record["effectiveSuccess"] =
        Success(host::Call<float>(State().Hooks[kCurrentStatusHook].Symbol, status, kSuccess));
    record["maximumSuccess"] =
        Success(SuccessElement(status, "UPrimalCharacterStatusComponent.MaxStatusValues"_field));
    record["replicatedMaximumSuccess"] = Success(SuccessElement(
        status, "UPrimalCharacterStatusComponent.ReplicatedGlobalMaxStatusValues"_field));
}

// Only reads the cache: the report never starts a discovery of its own.
void AddLayoutValues(UObject* creature, nlohmann::json& record) {
    const auto& layouts = State().ProcessorLayouts;
    auto found = layouts.find(host::ClassOf(creature));
    if (found == layouts.end() || !found->second.valid) return;
    const ProcessorLayout& layout = found->second;
    record["chance"] = ReadProcessorNumber(creature, layout.successRateCap);
    record["skill"] = ReadProcessorNumber(creature, layout.craftingSkillLevelMulti);
    std::int32_t crafts = 0;
    std::memcpy(&crafts, reinterpret_cast<const char*>(creature) + layout.numberMaxCrafts.offset,
                sizeof crafts);
    record["maxCrafts"] = crafts;
}

void AddItems(UObject* creature, nlohmann::json& items) {
    auto* inventory = host::Field<UPrimalInventoryComponent*>(
        creature, "APrimalCharacter.MyInventoryComponent"_field);
    if (inventory == nullptr) return;
    const auto& slots = host::Field<TArray<UPrimalItem*>>(
        inventory, "UPrimalInventoryComponent.InventoryItems"_field);
    for (int32 i = 0; i < slots.ArrayNum; ++i) {
        UPrimalItem* item = slots.Data[i];
        if (item == nullptr || host::ReadFlag(item, "UPrimalItem.bIsEngram"_flag)) continue;
        items.push_back(DescribeInventoryItem(item));
    }
}

}  // namespace

nlohmann::json DescribeProcessorCreature(UObject* creature, const std::string& className) {
    nlohmann::json record{{"class", className}, {"items", nlohmann::json::array()}};
    auto* status = host::Field<UPrimalCharacterStatusComponent*>(
        creature, "APrimalCharacter.MyCharacterStatusComponent"_field);
    if (status != nullptr) AddSuccessValues(status, record);
    // After the status reads: an entry the detour created while enforcing is seen here.
    AddLayoutValues(creature, record);
    AddItems(creature, record["items"]);
    return record;
}

}  // namespace txl
