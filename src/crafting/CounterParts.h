#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "AsaApi/EngineTypes.h"

// Pieces shared by the counter operations; not used outside the crafting code.
namespace txl::crafting {

inline constexpr const char* kCounterEntryName = "ThalassovexLimiter.CounterV1";
inline constexpr const char* kSharingEntryName = "BlueprintSharing";
inline constexpr float kCounterVersion = 1.0f;
inline constexpr float kCounterCeiling = 1000000.0f;

// A blueprint (not an engram): the only kind of item that is counted.
bool IsCountedBlueprint(UPrimalItem* item);

// Index of the first custom data entry whose name reads exactly `name`, or -1.
int32 FindCustomEntry(UPrimalItem* item, std::string_view name);
// The entry at `index`, re-read from the item; null when the array no longer reaches it.
FCustomItemData* CustomEntryAt(UPrimalItem* item, int32 index);

// Three floats: version 1.0, a whole maximum 1..1000000, a whole used 0..maximum.
bool IsValidCounterRecord(const FCustomItemData& entry);

FItemNetID ItemIdOf(UPrimalItem* item);
// The two id parts in unsigned decimal joined by ":", as AdoptTestBlueprints names them.
// Written into `out`, whose buffer is reused from call to call.
void WriteBlueprintKey(const FItemNetID& id, std::string& out);

// Gives a blueprint its first record when it, or the copy `placed` that shares it, sits in a
// processor's inventory; false when it does not qualify.
bool AttachCounter(UPrimalItem* item, UPrimalItem* placed, std::int32_t& maximum,
                   std::int32_t& used);
// Rewrites the counter line; true when the description or its flags changed.
bool RewriteCounterDescription(UPrimalItem* item, std::int32_t maximum, std::int32_t used);

}  // namespace txl::crafting
