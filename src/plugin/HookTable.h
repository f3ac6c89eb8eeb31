#pragma once

#include <array>

#include "shared/PluginState.h"

namespace txl {

// The ten hooks in install order, not yet installed.
std::array<HookRecord, kHookCount> MakeHookTable();
// Fills the state's hook records from the table and installs each, in table order.
void InstallHooks();
void RemoveHook(const HookRecord& hook);

// The order in which teardown removes hooks: the use hook goes first.
inline constexpr std::array<HookIndex, kHookCount> kHookRemovalOrder = {
    kServerMultiUseHook,  kBeginPlayHook,   kCurrentStatusHook,  kMaxStatusHook,
    kCanLevelUpHook,      kUpdatedItemHook, kCraftBlueprintHook, kFinishCraftingHook,
    kMaximumCraftingHook, kRemoveItemHook};

}  // namespace txl
