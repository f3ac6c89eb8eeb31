#pragma once

#include <cstdint>

#include "AsaApi/EngineTypes.h"

// The craft counter record kept in a blueprint's own custom item data.
namespace txl {

// The item's own counter entry (writes through it change the item), or null.
FCustomItemData* FindCounterEntry(UPrimalItem* item);
// True when a record is present; a malformed one yields 0 and 0. Untouched outputs when absent.
bool ReadCounter(UPrimalItem* item, std::int32_t& maximum, std::int32_t& used);
// The item itself, the source of a shared copy, or null when the source cannot be found.
UPrimalItem* ResolveSourceBlueprint(UPrimalItem* item);
// Attaches, mirrors and settles the counter and its description line; true when the item changed.
bool RefreshBlueprintCounter(UPrimalItem* item);
// Refreshes a source as above; false when its chain of sources loops or runs deeper than the
// nesting guard allows, so that nothing may be crafted against it.
bool RefreshSourceCounter(UPrimalItem* source);
bool IsBlueprintExhausted(UPrimalItem* item);
// Refreshes every blueprint of a character's inventory and announces the changed ones.
void RefreshInventoryCounters(UObject* character);

}  // namespace txl
