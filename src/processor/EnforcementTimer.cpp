#include "processor/EnforcementTimer.h"

#include <exception>
#include <utility>
#include <vector>

#include "crafting/CraftCounter.h"
#include "host/GameAccess.h"
#include "host/WeakObjects.h"
#include "processor/ProcessorEnforcement.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

bool SameReference(const FWeakObjectPtr& a, const FWeakObjectPtr& b) {
    return a.ObjectIndex == b.ObjectIndex && a.ObjectSerialNumber == b.ObjectSerialNumber;
}

void EnforceTrackedProcessors() {
    auto& tracked = State().TrackedProcessors;
    // A snapshot, walked in the map's order: an enforcement that tracks a creature may grow the
    // map and move its entries.
    std::vector<std::pair<UObject*, FWeakObjectPtr>> entries(tracked.begin(), tracked.end());
    for (auto& [key, weak] : entries) {
        auto* creature = host::ResolveWeakReference(weak);
        if (creature == nullptr) {
            // Only the stale reference goes; one stored since belongs to a live creature.
            auto found = tracked.find(key);
            if (found != tracked.end() && SameReference(found->second, weak)) tracked.erase(found);
            continue;
        }
        EnforceProcessorLimits(creature, false);
        RefreshInventoryCounters(creature);
    }
}

}  // namespace

void RunEnforcementTimer() {
    PluginState& state = State();
    if (!state.EnforcementEnabled) return;
    try {
        EnforceTrackedProcessors();
    } catch (const std::exception& error) {
        state.EnforcementEnabled = false;
        Log().error("Thalassovex timer disabled after runtime error: {}", error.what());
    }
}

}  // namespace txl
