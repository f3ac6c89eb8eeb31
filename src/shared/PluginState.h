#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "AsaApi/EngineTypes.h"
#include "shared/PluginConfig.h"
#include "shared/ProcessorLayout.h"

namespace txl {

// One installed hook: the game function's name, the detour, the slot through which the
// detour reaches the game's own function, and whether the install succeeded.
struct HookRecord {
    const char* Symbol = nullptr;
    void* Detour = nullptr;
    void* Original = nullptr;
    bool Installed = false;
};

// Positions in the hook table, which is also the install order.
enum HookIndex : std::size_t {
    kBeginPlayHook,
    kServerMultiUseHook,
    kCurrentStatusHook,
    kMaxStatusHook,
    kCanLevelUpHook,
    kUpdatedItemHook,
    kCraftBlueprintHook,
    kFinishCraftingHook,
    kMaximumCraftingHook,
    kRemoveItemHook,
    kHookCount
};

// The plug-in's one process-wide record. Entry points never run at the same time, so it is not
// locked.
struct PluginState {
    std::wstring ConfigPath;
    std::wstring ReportPath;
    PluginConfig Config;
    bool EnforcementEnabled = true;
    float MaxChanceFraction = 0.5f;
    std::int32_t MaxCrafts = 50;
    AdoptionTable AdoptionCounts;
    std::array<HookRecord, kHookCount> Hooks{};
    bool TimerRegistered = false;
    bool CommandsRegistered = false;
    std::unordered_map<UObject*, FWeakObjectPtr> TrackedProcessors;
    // Node-based, so entries keep their address while the map grows.
    std::unordered_map<UClass*, ProcessorLayout> ProcessorLayouts;
};

PluginState& State();

// Calls the game's own function behind a hook, through the slot the host filled.
template <HookIndex Index, typename R, typename... Args>
R CallOriginal(Args... args) {
    return reinterpret_cast<R (*)(Args...)>(State().Hooks[Index].Original)(args...);
}

}  // namespace txl
