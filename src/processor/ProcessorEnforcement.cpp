#include "processor/ProcessorEnforcement.h"

#include <cmath>
#include <cstdint>
#include <exception>

#include "crafting/CraftCounter.h"
#include "host/EngineNames.h"
#include "host/GameAccess.h"
#include "host/WeakObjects.h"
#include "processor/ProcessorDiscovery.h"
#include "processor/SuccessStatus.h"
#include "shared/Logger.h"
#include "shared/PluginState.h"

namespace txl {
namespace {

// The three property values of one creature, as enforcement compares them.
struct ProcessorValues {
    double chance = 0.0;
    std::int32_t crafts = 0;
    double skill = 0.0;
};

std::int32_t& CraftsOf(UObject* creature, const ProcessorLayout& layout) {
    return *reinterpret_cast<std::int32_t*>(reinterpret_cast<char*>(creature) +
                                            layout.numberMaxCrafts.offset);
}

ProcessorValues ReadValues(UObject* creature, const ProcessorLayout& layout) {
    return {ReadProcessorNumber(creature, layout.successRateCap), CraftsOf(creature, layout),
            ReadProcessorNumber(creature, layout.craftingSkillLevelMulti)};
}

void WriteFraction(UObject* creature, const ProcessorProperty& property, float value) {
    char* at = reinterpret_cast<char*>(creature) + property.offset;
    if (property.size == 8) {
        *reinterpret_cast<double*>(at) = static_cast<double>(value);
    } else {
        *reinterpret_cast<float*>(at) = value;
    }
}

// Sets the three properties to the caps; true when any was written.
bool ClampProperties(UObject* creature, const ProcessorLayout& layout, const ProcessorValues& old) {
    const PluginState& state = State();
    const float cap = state.MaxChanceFraction;
    bool changed = false;
    // Set from above and from below; a NaN or infinity is replaced.
    if (!(std::isfinite(old.chance) && old.chance == static_cast<double>(cap))) {
        WriteFraction(creature, layout.successRateCap, cap);
        changed = true;
    }
    if (old.crafts != state.MaxCrafts) {
        CraftsOf(creature, layout) = state.MaxCrafts;
        changed = true;
    }
    // Only lowered: a smaller multiplier stays; +infinity and a NaN are replaced.
    if (std::isnan(old.skill) || old.skill > static_cast<double>(cap)) {
        WriteFraction(creature, layout.craftingSkillLevelMulti, cap);
        changed = true;
    }
    return changed;
}

// Lowers element 11 of one status array; true when it was written.
bool LowerStatus(UPrimalCharacterStatusComponent* component, const std::string& array,
                 float limit) {
    float& value = (&host::Field<float>(component, array))[kSuccessStatus];
    // +infinity is lowered like any value above the limit; a NaN stays (it never succeeds).
    if (std::isnan(value) || value <= limit) return false;
    value = limit;
    return true;
}

void LowerSuccessStatus(UObject* creature, bool force) {
    auto* component = host::Field<UPrimalCharacterStatusComponent*>(
        creature, "APrimalCharacter.MyCharacterStatusComponent"_field);
    if (component == nullptr || !IsTeamOwned(creature)) return;
    const float limit = SuccessStatusLimit();
    bool lowered =
        LowerStatus(component, "UPrimalCharacterStatusComponent.CurrentStatusValues"_field, limit);
    lowered =
        LowerStatus(component, "UPrimalCharacterStatusComponent.MaxStatusValues"_field, limit) ||
        lowered;
    lowered = LowerStatus(component,
                          "UPrimalCharacterStatusComponent.ReplicatedGlobalMaxStatusValues"_field,
                          limit) ||
              lowered;
    if (!lowered && !force) return;
    host::Call<void>("UPrimalCharacterStatusComponent.ServerSyncReplicatedValues()"_function,
                     component);
    host::Call<void>("AActor.ForceNetUpdate(bool,bool,bool)"_function, creature, false, true,
                     false);
}

void ReplicateProperties(UObject* creature, const ProcessorLayout& layout) {
    host::Call<void>("AActor.FlushNetDormancy()"_function, creature);
    for (const ProcessorProperty* property :
         {&layout.successRateCap, &layout.numberMaxCrafts, &layout.craftingSkillLevelMulti}) {
        FName name = host::Field<FName>(property->property, "FField.NamePrivate"_field);
        host::Call<void>("UPrimalActor.MulticastProperty(FName,bool)"_function, creature, name,
                         false);
    }
}

}  // namespace

void EnforceProcessorLimits(UObject* creature, bool force) {
    if (!State().EnforcementEnabled || !IsProcessorCreature(creature)) return;
    EnforceRecognisedProcessorLimits(creature, force);
}

void EnforceRecognisedProcessorLimits(UObject* creature, bool force) {
    if (!State().EnforcementEnabled) return;

    const ProcessorLayout* layout = nullptr;
    bool firstSight = false;
    bool changed = false;
    ProcessorValues old;
    try {
        auto [entry, created] = AcquireProcessorLayout(host::ClassOf(creature));
        if (!entry.valid) return;
        layout = &entry;
        firstSight = created;
        old = ReadValues(creature, entry);
        changed = ClampProperties(creature, entry, old);
    } catch (const std::exception& error) {
        Log().error("Thalassovex limits NOT applied to {}: {}", host::ClassNameOf(creature),
                    error.what());
        return;
    }

    LowerSuccessStatus(creature, force);
    if (changed || firstSight || force) ReplicateProperties(creature, *layout);
    if (changed || firstSight) {
        const ProcessorValues now = ReadValues(creature, *layout);
        Log().info(
            "Thalassovex processor clamped: chance {} -> {}, crafts {} -> {}, skill {} -> {}",
            old.chance, now.chance, old.crafts, now.crafts, old.skill, now.skill);
    }
}

void EnforceProcessor(UObject* object) {
    PluginState& state = State();
    try {
        if (!IsProcessorCreature(object)) return;
        // A new creature at a reused address replaces the stale reference.
        state.TrackedProcessors.insert_or_assign(object, host::MakeWeakReference(object));
        EnforceProcessorLimits(object, true);
        RefreshInventoryCounters(object);
    } catch (const std::exception& error) {
        state.EnforcementEnabled = false;
        Log().error("Thalassovex limiter disabled after runtime error: {}", error.what());
    }
}

}  // namespace txl
