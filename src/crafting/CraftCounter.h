#pragma once

#include <array>
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
// A chain of shared copies holds at most this many items, its root included.
inline constexpr int kMaxChainLinks = 16;

// The item, its source, that source's source and so on up to the root, which is its own source.
struct SourceChain {
    std::array<UPrimalItem*, kMaxChainLinks> Links{};
    int Count = 0;
    // Ends at a root; otherwise a source is missing, or the chain loops or runs longer than
    // kMaxChainLinks.
    bool Resolved = false;
    UPrimalItem* Root() const { return Links[static_cast<std::size_t>(Count - 1)]; }
};
SourceChain ResolveSourceChain(UPrimalItem* item);
// Attaches, mirrors and settles the counter and its description line; true when the item changed.
bool RefreshBlueprintCounter(UPrimalItem* item);
// Refreshes the item and its chain as above and gives the root it counts against; null when the
// chain cannot be resolved, so that nothing may be crafted from it.
UPrimalItem* RefreshCountedRoot(UPrimalItem* item);
// True for a root whose crafts are used up, and for none, which a copy gets whose chain cannot
// be resolved.
bool IsCountedRootExhausted(UPrimalItem* root);
// Refreshes the item and its chain; true when crafting from it must stop, never while off.
bool IsBlueprintExhausted(UPrimalItem* item);
// Refreshes every blueprint of a character's inventory and announces the changed ones.
void RefreshInventoryCounters(UObject* character);

}  // namespace txl
