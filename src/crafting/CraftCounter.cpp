#include "crafting/CraftCounter.h"

namespace txl {

FCustomItemData* FindCounterEntry(UPrimalItem*) {
    return nullptr;
}
bool ReadCounter(UPrimalItem*, std::int32_t&, std::int32_t&) {
    return false;
}
UPrimalItem* ResolveSourceBlueprint(UPrimalItem* item) {
    return item;
}
bool RefreshBlueprintCounter(UPrimalItem*) {
    return false;
}
bool IsBlueprintExhausted(UPrimalItem*) {
    return false;
}
void RefreshInventoryCounters(UObject*) {}

}  // namespace txl
